// host_test.cpp: the simulated host's slots as a module sees them through the table.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <stdexcept>

#include "qvsim/sim_host.h"
#include "table_calls.h"

using qvsim::Effect;
using qvsim::SimHost;
using qvsim::SlotKind;

namespace {

struct HostTest : ::testing::Test {
    SimHost host{16, 1};
    TableCalls calls{host.table()};
    void SetUp() override { host.install(); }
};

TEST_F(HostTest, DataSlotsReadTheLiveClockAndPlayerCount) {
    host.setTime(2.5f);
    host.advance(0.25f);
    EXPECT_FLOAT_EQ(calls.time(), 2.75f);
    EXPECT_EQ(calls.maxClients(), 16);
    host.setMaxClients(-3);
    EXPECT_EQ(calls.maxClients(), -3);
    host.setMaxClients(100000);
    EXPECT_EQ(calls.maxClients(), 100000);
}

TEST_F(HostTest, PlayerSlotsAndEntities) {
    host.setSlot(1, SlotKind::Client);
    host.setSlot(2, SlotKind::NonClient);
    host.setSlot(20, SlotKind::Client);  // above maxClients, still reachable
    host.setSlot(SimHost::kMaxSlots, SlotKind::Client);
    host.setAccess(1, true);

    EntityHandle one = calls.entByIndex(1);
    EntityHandle two = calls.entByIndex(2);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_EQ(calls.entByIndex(3), nullptr);
    EXPECT_NE(calls.entByIndex(20), nullptr);
    EXPECT_NE(calls.entByIndex(SimHost::kMaxSlots), nullptr);
    for (int outside : {0, -1, SimHost::kMaxSlots + 1, INT_MAX, INT_MIN}) EXPECT_EQ(calls.entByIndex(outside), nullptr);

    EXPECT_EQ(calls.entIndex(one), 1);
    EXPECT_EQ(calls.entIndex(two), 2);
    EXPECT_EQ(calls.entIndex(calls.entByIndex(SimHost::kMaxSlots)), SimHost::kMaxSlots);
    EXPECT_EQ(calls.entIndex(nullptr), 0);
    EXPECT_EQ(calls.isClient(one), 1);
    EXPECT_EQ(calls.isClient(two), 0);
    EXPECT_EQ(calls.isClient(nullptr), 0);
    EXPECT_NE(calls.hasAccess(one), 0);
    EXPECT_EQ(calls.hasAccess(two), 0);
    EXPECT_EQ(calls.hasAccess(nullptr), 0);

    // A handle that is not ours is never taken for a player.
    int foreign = 0;
    auto *stranger = reinterpret_cast<EntityHandle>(&foreign);
    EXPECT_EQ(calls.entIndex(stranger), 0);
    EXPECT_EQ(calls.isClient(stranger), 0);
    EXPECT_EQ(calls.hasAccess(stranger), 0);
    // Nor is a pointer into the middle of one of ours.
    auto *inside = reinterpret_cast<EntityHandle>(reinterpret_cast<char *>(one) + 1);
    EXPECT_EQ(calls.entIndex(inside), 0);

    // Handles keep their addresses whatever maxClients does.
    host.setMaxClients(1000);
    host.setMaxClients(1);
    EXPECT_EQ(calls.entByIndex(1), one);
    EXPECT_EQ(calls.entByIndex(2), two);
    EXPECT_EQ(calls.entByIndex(300), nullptr);

    host.setSlot(1, SlotKind::Empty);
    EXPECT_EQ(calls.entByIndex(1), nullptr);
    EXPECT_THROW(host.setSlot(0, SlotKind::Client), std::out_of_range);
    EXPECT_THROW(host.setSlot(SimHost::kMaxSlots + 1, SlotKind::Client), std::out_of_range);
    EXPECT_THROW(host.setAccess(-1, true), std::out_of_range);
}

TEST_F(HostTest, TagAndCommandWords) {
    EXPECT_STREQ(calls.getTag(), "Quorvex");
    host.setTag("QV");
    EXPECT_STREQ(calls.getTag(), "QV");
    host.setNullTag(true);
    EXPECT_EQ(calls.getTag(), nullptr);

    host.setCommand({"say", "!eventtest"});
    EXPECT_STREQ(calls.cmdArgv(0), "say");
    EXPECT_STREQ(calls.cmdArgv(1), "!eventtest");
    EXPECT_STREQ(calls.cmdArgv(2), "");
    EXPECT_STREQ(calls.cmdArgv(-1), "");
    host.setNullArgv(true);
    EXPECT_EQ(calls.cmdArgv(0), nullptr);
    EXPECT_EQ(host.argvCalls(), 5);
}

TEST_F(HostTest, ServerVariables) {
    EXPECT_FLOAT_EQ(calls.cvarGet("sv_gravity"), 800.0f);
    EXPECT_FLOAT_EQ(calls.cvarGet("sv_maxspeed"), 320.0f);
    EXPECT_FLOAT_EQ(calls.cvarGet("sv_nosuch"), 0.0f);
    EXPECT_FLOAT_EQ(calls.cvarGet(nullptr), 0.0f);

    host.setCvar("sv_gravity", 600.0f);  // the operator's change is not the module's
    EXPECT_TRUE(host.cvarSets().empty());
    host.setTime(12.0f);
    calls.cvarSet("sv_gravity", 150.0f);
    EXPECT_FLOAT_EQ(calls.cvarGet("sv_gravity"), 150.0f);
    EXPECT_FLOAT_EQ(host.cvar("sv_gravity"), 150.0f);
    ASSERT_EQ(host.cvarSets().size(), 1u);
    EXPECT_EQ(host.cvarSets()[0].name, "sv_gravity");
    EXPECT_FLOAT_EQ(host.cvarSets()[0].value, 150.0f);
    EXPECT_DOUBLE_EQ(host.cvarSets()[0].time, 12.0);
}

TEST_F(HostTest, ScriptedAnswersComeFirstAndAsGiven) {
    host.scriptRandom({5, 999});
    host.scriptRandom(-7);
    EXPECT_EQ(host.scriptedLeft(), 3u);
    EXPECT_EQ(calls.randomLong(1, 6), 5);
    EXPECT_EQ(calls.randomLong(1, 6), 999);
    EXPECT_EQ(calls.randomLong(300, 420), -7);
    EXPECT_EQ(host.scriptedLeft(), 0u);
    const int seeded = calls.randomLong(300, 420);
    EXPECT_GE(seeded, 300);
    EXPECT_LE(seeded, 420);
    ASSERT_EQ(host.randomCalls().size(), 4u);
    EXPECT_EQ(host.randomCalls()[1].answer, 999);
    EXPECT_EQ(host.randomCalls()[2].low, 300);
    EXPECT_EQ(host.randomCalls()[2].high, 420);
    EXPECT_EQ(host.randomCalls()[3].answer, seeded);
}

TEST_F(HostTest, SeededAnswersCoverTheWholeRangeEvenly) {
    std::map<int, int> counts;
    const int draws = 60000;
    for (int i = 0; i < draws; ++i) ++counts[calls.randomLong(1, 6)];
    ASSERT_EQ(counts.size(), 6u);
    EXPECT_EQ(counts.begin()->first, 1);
    EXPECT_EQ(counts.rbegin()->first, 6);
    for (const auto &[face, n] : counts) EXPECT_NEAR(n, draws / 6, 500) << "face " << face;

    counts.clear();
    for (int i = 0; i < 20000; ++i) ++counts[calls.randomLong(300, 420)];
    EXPECT_EQ(counts.size(), 121u);
    EXPECT_EQ(counts.begin()->first, 300);
    EXPECT_EQ(counts.rbegin()->first, 420);

    bool negative = false, positive = false;
    for (int i = 0; i < 64; ++i) {
        const int v = calls.randomLong(INT_MIN, INT_MAX);
        negative |= v < 0;
        positive |= v > 0;
    }
    EXPECT_TRUE(negative && positive);
    EXPECT_EQ(calls.randomLong(4, 4), 4);
    EXPECT_EQ(calls.randomLong(9, 2), 9);
}

// The answers are the same on every platform, so recorded runs replay: the
// standard 32-bit Mersenne Twister seeded with 1, reduced without bias.
TEST_F(HostTest, SeededAnswersAreFixedBySeed) {
    std::vector<int> first;
    for (int i = 0; i < 8; ++i) first.push_back(calls.randomLong(1, 6));
    EXPECT_EQ(first, (std::vector<int>{2, 6, 1, 3, 2, 2, 6, 6}));

    host.seed(1);
    std::vector<int> again;
    for (int i = 0; i < 8; ++i) again.push_back(calls.randomLong(1, 6));
    EXPECT_EQ(again, first);

    SimHost other(16, 2);
    other.install();
    std::vector<int> seed2;
    for (int i = 0; i < 8; ++i) seed2.push_back(calls.randomLong(1, 6));
    EXPECT_NE(seed2, first);
}

TEST_F(HostTest, ModelsAndUserMessagesKeepTheirNumbers) {
    EXPECT_EQ(calls.precache("sprites/laserbeam.spr"), 1);
    EXPECT_EQ(calls.precache("models/a.mdl"), 2);
    EXPECT_EQ(calls.precache("sprites/laserbeam.spr"), 1);
    EXPECT_EQ(calls.precache(nullptr), 0);
    EXPECT_EQ(host.modelIndex("models/a.mdl"), 2);
    EXPECT_EQ(host.modelIndex("models/never.mdl"), 0);
    EXPECT_EQ(host.models().size(), 2u);

    EXPECT_EQ(calls.userMsgId("ScreenShake", SCREENSHAKE_BYTES), 64);
    EXPECT_EQ(calls.userMsgId("ScreenFade", SCREENFADE_BYTES), 65);
    EXPECT_EQ(calls.userMsgId("TeamInfo", -1), 0);
    EXPECT_EQ(calls.userMsgId(nullptr, 0), 0);
    EXPECT_EQ(host.userMsgs().size(), 2u);
    EXPECT_EQ(host.registerUserMsg("TeamInfo", -1), 66);
    EXPECT_EQ(host.registerUserMsg("ScreenFade", 3), 65);
    EXPECT_EQ(host.userMsgs().at("ScreenFade").size, SCREENFADE_BYTES);
    EXPECT_EQ(calls.userMsgId("TeamInfo", -1), 66);
    EXPECT_EQ(host.userMsgName(65), "ScreenFade");
    EXPECT_FALSE(host.userMsgName(67).has_value());
    for (int i = 0; i < 255 - 66; ++i) host.registerUserMsg("m" + std::to_string(i), 0);
    EXPECT_THROW(host.registerUserMsg("onetoomany", 0), std::length_error);
}

TEST_F(HostTest, ChatItemsAndCommandsAreRecordedInOrder) {
    host.setSlot(3, SlotKind::Client);
    std::vector<Effect::Kind> heard;
    host.setListener([&](const Effect &e) { heard.push_back(e.kind); });
    host.setTime(7.0f);

    calls.runCommand("spk \"items/r_item1\"\n");
    calls.clientPrint(calls.entByIndex(3), HUD_PRINTTALK, "[QV] hello\n");
    calls.giveItem(calls.entByIndex(3), "tf_weapon_ac");
    calls.clientPrint(nullptr, HUD_PRINTTALK, nullptr);
    calls.giveItem(nullptr, nullptr);
    calls.runCommand(nullptr);

    ASSERT_EQ(host.commands().size(), 2u);
    EXPECT_EQ(host.commands()[0].line, "spk \"items/r_item1\"\n");
    EXPECT_EQ(host.commands()[1].line, "");
    ASSERT_EQ(host.chat().size(), 2u);
    EXPECT_EQ(host.chat()[0].slot, 3);
    EXPECT_EQ(host.chat()[0].where, HUD_PRINTTALK);
    EXPECT_EQ(host.chat()[0].text, "[QV] hello\n");
    EXPECT_DOUBLE_EQ(host.chat()[0].time, 7.0);
    EXPECT_EQ(host.chat()[1].slot, 0);
    ASSERT_EQ(host.items().size(), 2u);
    EXPECT_EQ(host.items()[0].slot, 3);
    EXPECT_EQ(host.items()[0].className, "tf_weapon_ac");

    const std::vector<Effect::Kind> expected{Effect::Command, Effect::Chat, Effect::Item,
                                             Effect::Chat,    Effect::Item, Effect::Command};
    EXPECT_EQ(heard, expected);
    ASSERT_EQ(host.effects().size(), expected.size());
    EXPECT_EQ(host.effects()[3].index, 1u);  // the second chat line

    host.clearRecords();
    EXPECT_TRUE(host.effects().empty());
    EXPECT_TRUE(host.chat().empty());
    EXPECT_TRUE(host.items().empty());
    EXPECT_TRUE(host.commands().empty());
}

TEST_F(HostTest, SlotsTheHostDoesNotProvideAreNoted) {
    // Slot 3 is the host's but not one this host provides.
    calls.at<void (*)()>(3)();
    calls.at<void (*)()>(55)();
    EXPECT_EQ(host.strayCalls(), (std::vector<int>{3, 55}));
}

TEST(HostInstall, SlotsAnswerHarmlessDefaultsWithNoHost) {
    void **table;
    std::vector<void *> copy;
    {
        SimHost host;
        host.install();
        host.setSlot(1, SlotKind::Client);
        host.setAccess(1, true);
        copy.assign(host.table(), host.table() + HOST_SLOT_COUNT);
    }
    EXPECT_EQ(SimHost::installed(), nullptr);
    table = copy.data();
    TableCalls calls{table};
    EXPECT_STREQ(calls.getTag(), "");
    EXPECT_STREQ(calls.cmdArgv(0), "");
    EXPECT_EQ(calls.entByIndex(1), nullptr);
    EXPECT_EQ(calls.entIndex(nullptr), 0);
    EXPECT_EQ(calls.isClient(nullptr), 0);
    EXPECT_EQ(calls.hasAccess(nullptr), 0);
    EXPECT_FLOAT_EQ(calls.cvarGet("sv_gravity"), 0.0f);
    EXPECT_EQ(calls.precache("sprites/laserbeam.spr"), 0);
    EXPECT_EQ(calls.randomLong(300, 420), 300);
    EXPECT_EQ(calls.userMsgId("ScreenFade", SCREENFADE_BYTES), 0);
    calls.cvarSet("sv_gravity", 1.0f);
    calls.clientPrint(nullptr, HUD_PRINTTALK, "x");
    calls.giveItem(nullptr, "x");
    calls.runCommand("x\n");
    calls.begin(MSG_ALL, SVC_TEMPENTITY);
    calls.byte(1);
    calls.shortv(1);
    calls.string("x");
    calls.end();
    calls.at<void (*)()>(3)();
}

TEST(HostInstall, DestroyingAnotherHostLeavesTheInstalledOne) {
    SimHost a;
    {
        SimHost b;
        b.install();
        a.install();
    }
    EXPECT_EQ(SimHost::installed(), &a);
    {
        SimHost c;
        c.install();
    }
    EXPECT_EQ(SimHost::installed(), nullptr);
}

}  // namespace
