// entry_points_test.cpp: the six exports, the table hand-over and the chat test command.
#include <algorithm>

#include "fixture.h"

namespace {

struct CommandCase {
    const char *label;
    std::vector<std::string> argv;
    int slot;
    bool wordsMatch;  // "say" and "!eventtest" as words 0 and 1
    bool forces;
};

class TestCommand : public ModuleTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(TestCommand, ForcesRandomWeaponOnlyForExactWordsFromPlayersWithAccess)
{
    const CommandCase &c = GetParam();
    mapStart();
    host.clearRecords();
    EXPECT_EQ(say(c.slot, c.argv), 0);
    // Access is asked, at level 0, only once both words matched.
    ASSERT_EQ(host.accessCalls().size(), c.wordsMatch ? 1u : 0u);
    if (c.wordsMatch) {
        EXPECT_EQ(host.accessCalls()[0].slot, c.slot);
        EXPECT_EQ(host.accessCalls()[0].level, 0);
    }
    if (c.forces) {
        ASSERT_FALSE(host.messages().empty());
        EXPECT_EQ(firstText(), "Random event: Random Weapon!");
        EXPECT_EQ(host.items().size(), 13u);  // slots 1..12 and the non-client in 16
    } else {
        EXPECT_TRUE(host.effects().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Words, TestCommand,
    ::testing::Values(
        CommandCase{"plain", {"say", "!eventtest"}, 1, true, true},
        CommandCase{"any_case", {"SAY", "!EventTest"}, 1, true, true},
        CommandCase{"extra_args", {"say", "!eventtest", "now", "please"}, 1, true, true},
        CommandCase{"say_team", {"say_team", "!eventtest"}, 1, false, false},
        CommandCase{"suffix", {"say", "!eventtest2"}, 1, false, false},
        CommandCase{"prefix", {"say", "x!eventtest"}, 1, false, false},
        CommandCase{"whole_line_one_arg", {"say", "!eventtest now"}, 1, false, false},
        CommandCase{"word_only", {"say"}, 1, false, false},
        CommandCase{"other_command", {"kill"}, 1, false, false},
        // Only A..Z fold: flipping bit 5 of any byte would turn \x01 into '!'.
        CommandCase{"only_letters_fold", {"say", "\x01eventtest"}, 1, false, false},
        CommandCase{"no_access", {"say", "!eventtest"}, 2, true, false},
        CommandCase{"non_client_no_access", {"say", "!eventtest"}, 16, true, false}),
    [](const ::testing::TestParamInfo<CommandCase> &i) { return std::string(i.param.label); });

TEST_F(ModuleTest, SecondArgumentIsFetchedOnlyAfterTheCommandWordMatched)
{
    say(1, {"kill", "!eventtest"});
    EXPECT_EQ(host.argvCalls(), 1);
    say(1, {"say", "hello"});
    EXPECT_EQ(host.argvCalls(), 3);
}

TEST_F(ModuleTest, NullArgumentFromTheHostIsNoMatch)
{
    mapStart();
    host.clearRecords();
    host.setNullArgv(true);
    EXPECT_EQ(say(1, {"say", "!eventtest"}), 0);
    EXPECT_TRUE(host.effects().empty());
}

TEST_F(ModuleTest, ClientConnectReturnsZeroAndTouchesNothing)
{
    EXPECT_EQ(mod.clientConnect(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(mod.clientConnect(host.entity(3), "player", "10.0.0.3:27005"), 0);
    mod.gameDLLInit();
    EXPECT_TRUE(host.effects().empty());
    EXPECT_TRUE(host.randomCalls().empty());
}

TEST_F(ModuleTest, MapInitPrecachesTheBeamSpriteEveryMapAndTrailsUseTheLatestIndex)
{
    host.scriptRandom({300});
    mapStart();
    EXPECT_EQ(host.precacheCalls(), std::vector<std::string>{"sprites/laserbeam.spr"});
    ASSERT_EQ(host.randomCalls().size(), 1u);
    EXPECT_EQ(host.randomCalls()[0].low, 300);
    EXPECT_EQ(host.randomCalls()[0].high, 420);

    // The next map's model table starts afresh with the game's own models.
    host.clearModels();
    host.precache("models/player.mdl");
    host.clearRecords();
    host.scriptRandom({300, 2});
    mapStart();
    EXPECT_EQ(host.precacheCalls(), std::vector<std::string>{"sprites/laserbeam.spr"});
    const int sprite = host.modelIndex("sprites/laserbeam.spr");
    ASSERT_EQ(sprite, 2);
    frame(300.0f);
    int trails = 0;
    for (const auto &m : host.messages())
        if (m.payload.size() == 11 && m.payload[0] == TE_BEAMFOLLOW) {
            EXPECT_EQ(m.payload[3] | m.payload[4] << 8, sprite);
            trails++;
        }
    EXPECT_EQ(trails, 13);
}

// A module without a usable table must not touch the host: a fresh load,
// one handed a null table after a real one, and tables without a clock or
// without a player count.
TEST_F(ModuleTest, EntryPointsDoNothingWithoutAUsableTable)
{
    enum Case { Fresh, DetachedAfterUse, NoClock, NoMaxClients };
    for (Case c : {Fresh, DetachedAfterUse, NoClock, NoMaxClients}) {
        SCOPED_TRACE(c);
        mod.unload();
        ASSERT_TRUE(mod.load(QV_MODULE_PATH)) << mod.error();
        void *crippled[HOST_SLOT_COUNT];
        std::copy(host.table(), host.table() + HOST_SLOT_COUNT, crippled);
        if (c == DetachedAfterUse) {
            mod.giveFuncs(host.table());
            mapStart();
            mod.giveFuncs(nullptr);
        } else if (c == NoClock || c == NoMaxClients) {
            crippled[c == NoClock ? SLOT_pTime : SLOT_pMaxClients] = nullptr;
            mod.giveFuncs(crippled);
        }
        host.clearRecords();
        mod.mapInit();
        host.setTime(1000.0f);
        mod.think();
        host.setCommand({"say", "!eventtest"});
        EXPECT_EQ(mod.clientCommand(host.entity(1)), 0);
        EXPECT_EQ(host.argvCalls(), 0);
        EXPECT_TRUE(host.effects().empty());
        EXPECT_TRUE(host.randomCalls().empty());
    }
}

TEST_F(ModuleTest, ReloadingGivesAFreshModule)
{
    startByClock(1);
    ASSERT_EQ(lastText(), "Random event: Low grav");
    mod.unload();
    ASSERT_TRUE(mod.load(QV_MODULE_PATH)) << mod.error();
    mod.giveFuncs(host.table());
    host.clearRecords();
    // A module that kept its state would end low gravity at 320.
    runTo(330.0, 0.5);
    EXPECT_TRUE(host.effects().empty());
    EXPECT_TRUE(host.randomCalls().empty());
}

}  // namespace
