// events_test.cpp: what each of the six events does to the server and the players, and in what order.
#include <algorithm>

#include "fixture.h"

namespace {

using Kind = qvsim::Effect::Kind;

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The cvar sets the module made, as (name, value).
std::vector<std::pair<std::string, float>> CvarSets(const qvsim::SimHost &h)
{
    std::vector<std::pair<std::string, float>> out;
    for (const auto &s : h.cvarSets())
        out.emplace_back(s.name, s.value);
    return out;
}

TEST_F(ModuleTest, LowGravityQuartersGravityAndPutsTheSavedValueBack)
{
    startByClock(1);
    EXPECT_EQ(effectKinds(), (std::vector<Kind>{Kind::MessageSent, Kind::Cvar}))
        << "announce before the change";
    EXPECT_FLOAT_EQ(host.cvar("sv_gravity"), 200.0f);
    host.setCvar("sv_gravity", 650.0f);  // an admin changes it meanwhile
    host.clearRecords();
    frame(319.9f);
    EXPECT_TRUE(host.effects().empty());
    frame(320.0f);
    EXPECT_EQ(effectKinds(), (std::vector<Kind>{Kind::MessageSent, Kind::Cvar}));
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Low grav off"});
    EXPECT_FLOAT_EQ(host.cvar("sv_gravity"), 800.0f);
}

TEST_F(ModuleTest, SlowMovementHoldsTheSpeedDownFromOneSecondOnAndRestoresIt)
{
    host.setCvar("sv_maxspeed", 400.0f);
    startByClock(6);
    EXPECT_EQ(effectKinds(), (std::vector<Kind>{Kind::Cvar, Kind::MessageSent}))
        << "change before the announcement";
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Slow movement"});
    EXPECT_FLOAT_EQ(host.cvar("sv_maxspeed"), 100.0f);

    // Before midTime the hold does not run, whatever the value.
    host.setCvar("sv_maxspeed", 900.0f);
    frame(300.5f);
    EXPECT_FLOAT_EQ(host.cvar("sv_maxspeed"), 900.0f);
    // From 301 on every frame puts 100 back, whether raised or lowered.
    for (float v : {900.0f, 20.0f}) {
        host.setCvar("sv_maxspeed", v);
        frame(host.time() < 301.0f ? 301.0f : host.time() + 1.0f);
        EXPECT_FLOAT_EQ(host.cvar("sv_maxspeed"), 100.0f);
    }
    host.clearRecords();
    frame(324.99f);
    EXPECT_EQ(CvarSets(host), (std::vector<std::pair<std::string, float>>{{"sv_maxspeed", 100.0f}}));

    // The end frame holds once more, then restores, then announces.
    host.clearRecords();
    frame(325.0f);
    EXPECT_EQ(CvarSets(host), (std::vector<std::pair<std::string, float>>{{"sv_maxspeed", 100.0f},
                                                                         {"sv_maxspeed", 400.0f}}));
    EXPECT_EQ(effectKinds(), (std::vector<Kind>{Kind::Cvar, Kind::Cvar, Kind::MessageSent}));
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Slow movement off"});
    host.clearRecords();
    frame(330.0f);
    EXPECT_TRUE(host.effects().empty());
}

TEST_F(ModuleTest, ForcingDuringAServerVariableEventRestoresAtOnce)
{
    for (int n : {1, 6}) {
        startByClock(n);
        force();
        EXPECT_FLOAT_EQ(host.cvar("sv_gravity"), 800.0f);
        EXPECT_FLOAT_EQ(host.cvar("sv_maxspeed"), 320.0f);
    }
}

TEST_F(ModuleTest, TrailsGoToEveryFilledSlotAndComeOffAgain)
{
    host.setSlot(5, qvsim::SlotKind::Empty);
    startByClock(2);
    auto d = decodedMessages();
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(firstText(), "Random event: All players have trail");
    // The announcement comes first, then one trail per filled slot.
    auto kinds = messageKinds();
    EXPECT_EQ(kinds, (std::vector<std::string>(1, "TE_TEXTMESSAGE") +
                      std::vector<std::string>(12, "TE_BEAMFOLLOW")));
    std::vector<int> followed;
    for (const auto &m : host.messages())
        if (m.payload.size() > 2 && m.payload[0] == TE_BEAMFOLLOW)
            followed.push_back(m.payload[1] | m.payload[2] << 8);
    // Slot 5 is empty; the non-client in 16 gets a trail too.
    EXPECT_EQ(followed, (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 16}));
    // Each player's colour is three draws, red then green then blue.
    std::size_t colourDraws = std::count_if(host.randomCalls().begin(), host.randomCalls().end(),
                                            [](const auto &c) { return c.low == 0 && c.high == 255; });
    EXPECT_EQ(colourDraws, 36u);

    host.clearRecords();
    frame(310.0f);
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Trails off"});
    EXPECT_EQ(messageKinds(), (std::vector<std::string>(1, "TE_TEXTMESSAGE") +
                               std::vector<std::string>(12, "TE_KILLBEAM")));
    std::vector<int> killed;
    for (const auto &m : host.messages())
        if (m.payload.size() > 2 && m.payload[0] == TE_KILLBEAM)
            killed.push_back(m.payload[1] | m.payload[2] << 8);
    EXPECT_EQ(killed, followed);
    expectNoFramingErrors();
}

TEST_F(ModuleTest, RandomWeaponGivesEachFilledSlotOneLineThenOneItem)
{
    host.setSlot(7, qvsim::SlotKind::Empty);
    host.setTag("TFC");
    // Weapons 1..6 for slots 1..6, then 3 twice: players may share one.
    host.scriptRandom({1, 2, 3, 4, 5, 6, 3, 3});
    force();
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Random Weapon!"});
    ASSERT_EQ(host.commands().size(), 1u);
    EXPECT_EQ(host.commands()[0].line, "spk \"items/r_item1\"\n");

    struct Expect {
        int slot;
        const char *line;
        const char *item;
    };
    const Expect expected[] = {
        {1, "[TFC] You got the tranquilizer gun.\n", "tf_weapon_tranq"},
        {2, "[TFC] You got the AC.\n", "tf_weapon_ac"},
        {3, "[TFC] You got the rocket launcher.\n", "tf_weapon_rpg"},
        {4, "[TFC] You got the knife.\n", "tf_weapon_knife"},
        {5, "[TFC] You got the flamethrower.\n", "tf_weapon_flamethrower"},
        {6, "[TFC] You got the auto rifle.\n", "tf_weapon_autorifle"},
        {8, "[TFC] You got the rocket launcher.\n", "tf_weapon_rpg"},
        {9, "[TFC] You got the rocket launcher.\n", "tf_weapon_rpg"},
    };
    ASSERT_EQ(host.chat().size(), 12u);  // 1..6, 8..12 and the non-client in 16
    ASSERT_EQ(host.items().size(), 12u);
    for (std::size_t i = 0; i < std::size(expected); i++) {
        EXPECT_EQ(host.chat()[i].slot, expected[i].slot);
        EXPECT_EQ(host.chat()[i].where, HUD_PRINTTALK);
        EXPECT_EQ(host.chat()[i].text, expected[i].line);
        EXPECT_EQ(host.items()[i].slot, expected[i].slot);
        EXPECT_EQ(host.items()[i].className, expected[i].item);
    }
    EXPECT_EQ(host.chat().back().slot, 16);
    EXPECT_EQ(host.items().back().slot, 16);

    // Announcement, sound, then line before item for every player.
    auto kinds = effectKinds();
    ASSERT_EQ(kinds.size(), 2u + 2u * 12u);
    EXPECT_EQ(kinds[0], Kind::MessageSent);
    EXPECT_EQ(kinds[1], Kind::Command);
    for (std::size_t i = 2; i < kinds.size(); i += 2) {
        EXPECT_EQ(kinds[i], Kind::Chat);
        EXPECT_EQ(kinds[i + 1], Kind::Item);
    }
    // Its end, a second later, does nothing.
    host.clearRecords();
    frame(1.0f);
    EXPECT_TRUE(host.effects().empty());
}

struct TagCase {
    const char *label;
    std::size_t tagLength;
    bool nullTag;
    std::size_t lineLength;
    bool whole;  // the line ends in its own newline
};

class WeaponTag : public ModuleTest, public ::testing::WithParamInterface<TagCase> {};

// The line buffer holds 256 bytes: a longer line is cut, never overflowed.
TEST_P(WeaponTag, ChatLineStaysWithinItsBuffer)
{
    const TagCase &c = GetParam();
    host.setTag(std::string(c.tagLength, 'T'));
    host.setNullTag(c.nullTag);
    host.scriptRandom({1});  // "[%s] You got the tranquilizer gun.\n": 33 bytes around the tag
    force();
    ASSERT_FALSE(host.chat().empty());
    const std::string &line = host.chat().front().text;
    EXPECT_EQ(line.size(), c.lineLength);
    EXPECT_EQ(line.rfind("[", 0), 0u);
    EXPECT_EQ(line.back() == '\n', c.whole);
    EXPECT_EQ(host.items().size(), 13u) << "every player still gets a weapon";
}

INSTANTIATE_TEST_SUITE_P(
    Tags, WeaponTag,
    ::testing::Values(TagCase{"short", 3, false, 36, true},
                      TagCase{"longest_that_fits", 222, false, 255, true},
                      TagCase{"one_too_long", 223, false, 255, false},
                      TagCase{"four_kilobytes", 4096, false, 255, false},
                      TagCase{"null_tag_is_empty", 0, true, 33, true}),
    [](const ::testing::TestParamInfo<TagCase> &i) { return std::string(i.param.label); });

TEST_F(ModuleTest, OutOfRangeWeaponAndTintDrawsPickTheNearestRow)
{
    host.scriptRandom({0, 7});
    host.setSlot(3, qvsim::SlotKind::Empty);
    for (int n = 4; n <= 16; n++)
        host.setSlot(n, qvsim::SlotKind::Empty);
    force();
    ASSERT_EQ(host.items().size(), 2u);
    EXPECT_EQ(host.items()[0].className, "tf_weapon_tranq");
    EXPECT_EQ(host.items()[1].className, "tf_weapon_autorifle");

    host.clearRecords();
    host.scriptRandom({300, 4, 99});
    mapStart();
    frame(300.0f);
    ASSERT_FALSE(host.messages().empty());
    const Bytes &fade = host.messages().front().payload;
    ASSERT_EQ(fade.size(), 10u);
    EXPECT_EQ(Bytes(fade.begin() + 6, fade.end()), (Bytes{255, 0, 255, 255}));  // magenta, row 6
}

TEST_F(ModuleTest, EarthquakeAnnouncesThenShakesAndItsEndOnlyAnnounces)
{
    startByClock(3);
    EXPECT_EQ(messageKinds(), (std::vector<std::string>{"TE_TEXTMESSAGE", "ScreenShake"}));
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Earthquake"});
    host.clearRecords();
    frame(310.0f);
    EXPECT_EQ(messageKinds(), std::vector<std::string>{"TE_TEXTMESSAGE"});
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Earthquake end"});
    EXPECT_EQ(effectKinds().size(), 1u);
}

TEST_F(ModuleTest, ColoredViewFadesEveryClientOneTintThenAnnounces)
{
    host.setSlot(4, qvsim::SlotKind::Empty);
    host.scriptRandom({300, 4, 2});  // green
    mapStart();
    frame(300.0f);
    auto kinds = messageKinds();
    // Slots 1..12 but 4; not the non-client in 16; then the text.
    ASSERT_EQ(kinds.size(), 12u);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end() - 1, "ScreenFade"), 11);
    EXPECT_EQ(kinds.back(), "TE_TEXTMESSAGE");
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Colored view"});
    std::vector<int> targets;
    for (const auto &m : host.messages())
        if (m.dest == MSG_ONE) {
            targets.push_back(m.entity);
            EXPECT_EQ(Bytes(m.payload.begin() + 6, m.payload.end()), (Bytes{0, 255, 0, 255}));
        }
    EXPECT_EQ(targets, (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
    std::size_t tintDraws = std::count_if(host.randomCalls().begin(), host.randomCalls().end(),
                                          [](const auto &c) { return c.low == 1 && c.high == 6; });
    EXPECT_EQ(tintDraws, 2u);  // the event draw and one tint for everybody

    host.clearRecords();
    frame(320.0f);
    kinds = messageKinds();
    ASSERT_EQ(kinds.size(), 12u);
    EXPECT_EQ(kinds.back(), "TE_TEXTMESSAGE");
    EXPECT_EQ(announcements(), std::vector<std::string>{"Random event: Colored view off"});
    expectNoFramingErrors();
}

}  // namespace
