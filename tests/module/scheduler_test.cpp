// scheduler_test.cpp: when events start, hold and end, forcing, and map changes.
#include <algorithm>

#include "fixture.h"

namespace {

using qvsim::SimHost;

// Low gravity is the clock's easiest witness: its texts mark start and end.
const char *const kLowGrav = "Random event: Low grav";
const char *const kLowGravOff = "Random event: Low grav off";

TEST_F(ModuleTest, FirstEventStartsInTheFirstFrameAtOrAfterTheDrawnTime)
{
    host.scriptRandom({300, 1});
    mapStart(0.0f);
    frame(299.99f);
    EXPECT_TRUE(host.messages().empty());
    frame(300.0f);  // exactly equal starts it
    EXPECT_EQ(announcements(), std::vector<std::string>{kLowGrav});
    ASSERT_EQ(host.randomCalls().size(), 2u);
    EXPECT_EQ(host.randomCalls()[1].low, 1);
    EXPECT_EQ(host.randomCalls()[1].high, 6);
}

TEST_F(ModuleTest, FirstStartIsAbsoluteSoALateMapStartStartsInTheNextFrame)
{
    host.scriptRandom({300, 1});
    mapStart(450.0f);
    frame(450.01f);
    EXPECT_EQ(announcements(), std::vector<std::string>{kLowGrav});
}

TEST_F(ModuleTest, EventEndsInTheFirstFrameAtOrAfterItsEndAndTheNextStartCountsFromThatFrame)
{
    host.scriptRandom({500, 1});
    mapStart();
    frame(500.0f);
    frame(519.9f);
    EXPECT_EQ(announcements().size(), 1u);
    host.scriptRandom({300, 2});
    frame(520.3f);  // the first frame at or after 520
    EXPECT_EQ(lastText(), kLowGravOff);
    ASSERT_EQ(host.randomCalls().size(), 3u);
    EXPECT_EQ(host.randomCalls()[2].low, 300);
    EXPECT_EQ(host.randomCalls()[2].high, 420);
    frame(820.2f);
    EXPECT_EQ(announcements().size(), 2u);
    frame(820.3f);  // 520.3 + 300
    EXPECT_EQ(lastText(), "Random event: All players have trail");
}

TEST_F(ModuleTest, RandomPauseIsAlwaysWithinItsBoundsOverManyEvents)
{
    // The real seeded random source, a frame every 0.5 s: every gap from an end
    // frame to the next start lies in [300, 420] plus at most one frame.
    host.seed(7);
    mapStart();
    std::size_t seen = 0;
    double lastEnd = -1;
    for (int i = 1; i <= 20000 && seen < 12; i++) {
        float now = static_cast<float>(i) * 0.5f;
        std::size_t before = host.randomCalls().size();
        frame(now);
        for (std::size_t k = before; k < host.randomCalls().size(); k++) {
            const auto &c = host.randomCalls()[k];
            if (c.low == 300) {
                EXPECT_GE(c.answer, 300);
                EXPECT_LE(c.answer, 420);
                lastEnd = now;
            } else if (c.low == 1 && c.high == 6 && lastEnd >= 0 && k == before) {
                double gap = now - lastEnd;
                EXPECT_GE(gap, 300.0);
                EXPECT_LE(gap, 420.5);
                seen++;
            }
        }
    }
    EXPECT_GE(seen, 10u);
    expectNoFramingErrors();
}

TEST_F(ModuleTest, NothingStartsBeforeTheFirstMapStartButForcingWorksAndRandomStartsFollow)
{
    runTo(1000.0, 1.0);
    EXPECT_TRUE(host.effects().empty());
    host.setTime(1000.0f);
    force();
    EXPECT_EQ(firstText(), "Random event: Random Weapon!");
    host.scriptRandom({300, 1});
    frame(1001.0f);  // random weapon lasts 1 s; its end schedules 300 s on
    frame(1300.9f);
    EXPECT_EQ(announcements().size(), 1u);
    frame(1301.0f);
    EXPECT_EQ(lastText(), kLowGrav);
}

TEST_F(ModuleTest, ForcingDropsAPendingStart)
{
    host.scriptRandom({300});
    mapStart();
    frame(100.0f);
    force();
    host.scriptRandom({400});
    frame(101.0f);  // the forced weapon event ends; next start at 501
    std::size_t texts = announcements().size();
    runTo(500.0, 1.0);
    EXPECT_EQ(announcements().size(), texts) << "the start pending at 300 was not dropped";
    host.scriptRandom({1});
    frame(501.0f);
    EXPECT_EQ(lastText(), kLowGrav);
}

TEST_F(ModuleTest, ForcingEndsTheRunningEventFirst)
{
    startByClock(2);  // trails
    host.clearRecords();
    frame(303.0f);
    force();
    auto texts = announcements();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Random event: Trails off");
    EXPECT_EQ(texts[1], "Random event: Random Weapon!");
    auto kinds = messageKinds();
    // The beams go before the weapon event starts.
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "TE_KILLBEAM"), 13);
    EXPECT_EQ(kinds[14], "TE_TEXTMESSAGE");
    // Trails' own end time (310) passes without a second end.
    host.clearRecords();
    frame(304.0f);
    frame(311.0f);
    EXPECT_TRUE(announcements().empty());
}

TEST_F(ModuleTest, ForcingDuringTheRandomWeaponStartsItAgain)
{
    mapStart();
    host.setTime(10.0f);
    force();
    host.setTime(10.5f);
    force();
    EXPECT_EQ(host.items().size(), 26u);
    EXPECT_EQ(host.commands().size(), 2u);
    // The second force restarted the 1 s timer.
    std::size_t draws = host.randomCalls().size();
    frame(11.2f);
    EXPECT_EQ(host.randomCalls().size(), draws);
    frame(11.5f);
    EXPECT_EQ(host.randomCalls().size(), draws + 1);  // the end drew the next start
}

TEST_F(ModuleTest, MapChangeDropsTheRunningEventWithoutItsEnd)
{
    startByClock(1);
    EXPECT_FLOAT_EQ(host.cvar("sv_gravity"), 200.0f);
    host.scriptRandom({360});
    mapStart(0.0f);
    runTo(30.0, 0.5);
    EXPECT_EQ(announcements(), std::vector<std::string>{kLowGrav});
    EXPECT_FLOAT_EQ(host.cvar("sv_gravity"), 200.0f) << "a map change restores nothing";
    frame(359.0f);
    EXPECT_EQ(announcements().size(), 1u);
}

TEST_F(ModuleTest, TheClockAloneDrivesEventsEvenWithNoPlayers)
{
    for (int n = 1; n <= 16; n++)
        host.setSlot(n, qvsim::SlotKind::Empty);
    host.scriptRandom({300, 2});
    mapStart();
    frame(300.0f);
    frame(310.0f);
    EXPECT_EQ(announcements(), (std::vector<std::string>{"Random event: All players have trail",
                                                         "Random event: Trails off"}));
}

TEST_F(ModuleTest, TheSameEventMayComeTwiceInARow)
{
    host.scriptRandom({300, 3});
    mapStart();
    frame(300.0f);
    host.scriptRandom({300, 3});
    frame(310.0f);
    frame(610.0f);
    EXPECT_EQ(announcements(),
              (std::vector<std::string>{"Random event: Earthquake", "Random event: Earthquake end",
                                        "Random event: Earthquake"}));
}

// A faulty host's RandomLong answer is clamped before it picks a row.
struct ClampCase {
    const char *label;
    int answer;
    const char *firstText;
};

class EventDrawClamp : public ModuleTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(EventDrawClamp, OutOfRangeDrawPicksTheNearestRow)
{
    host.scriptRandom({300, GetParam().answer});
    mapStart();
    frame(300.0f);
    ASSERT_FALSE(announcements().empty());
    EXPECT_EQ(firstText(), GetParam().firstText);
    expectNoFramingErrors();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, EventDrawClamp,
    ::testing::Values(ClampCase{"zero", 0, "Random event: Low grav"},
                      ClampCase{"negative", -2147483647 - 1, "Random event: Low grav"},
                      ClampCase{"seven", 7, "Random event: Slow movement"},
                      ClampCase{"huge", 2147483647, "Random event: Slow movement"}),
    [](const ::testing::TestParamInfo<ClampCase> &i) { return std::string(i.param.label); });

TEST_F(ModuleTest, OutOfRangePauseIsClampedToItsBounds)
{
    host.scriptRandom({5});  // below 300
    mapStart();
    host.scriptRandom({1});
    frame(299.0f);
    EXPECT_TRUE(announcements().empty());
    frame(300.0f);
    EXPECT_EQ(announcements().size(), 1u);
    host.scriptRandom({100000});  // above 420
    frame(320.0f);
    host.scriptRandom({2});
    frame(739.9f);
    EXPECT_EQ(announcements().size(), 2u);
    frame(740.0f);
    EXPECT_EQ(announcements().size(), 3u);
}

}  // namespace
