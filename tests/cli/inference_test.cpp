// inference_test.cpp: event starts, holds and ends read from the effects of single calls.
#include <gtest/gtest.h>

#include "inference.h"

using qvcli::CallKind;
using qvcli::EventTracker;
using qvcli::Observed;
using qvcli::Phase;

namespace {

Observed ann(const char *text) { return Observed{text, ""}; }
Observed cvar(const char *name) { return Observed{"", name}; }
Observed other() { return Observed{}; }

// The call's items as "start:Name", "hold:Name", "end:Name", or "#i" for effect i.
std::vector<std::string> items(EventTracker &t, CallKind kind, float now, const std::vector<Observed> &effects) {
    std::vector<std::string> out;
    for (const qvcli::Item &i : t.call(kind, now, effects)) {
        if (!i.note) {
            out.push_back("#" + std::to_string(i.effect));
            continue;
        }
        std::string s = std::string(qvcli::phaseName(i.note->phase)) + ":" + i.note->kind->name;
        if (i.note->forced) s += "(forced)";
        if (i.note->silent) s += "(silent)";
        out.push_back(s);
    }
    return out;
}

using V = std::vector<std::string>;

TEST(Inference, EachActionsNoteComesBeforeItsFirstEffect) {
    EventTracker t;
    // Colored view fades before it announces.
    EXPECT_EQ(items(t, CallKind::Think, 300, {other(), other(), ann("Random event: Colored view")}),
              (V{"start:Colored view", "#0", "#1", "#2"}));
    // Forced during it: its end (fades, announcement), then the weapon (announcement first).
    EXPECT_EQ(items(t, CallKind::Command, 305,
                    {other(), other(), ann("Random event: Colored view off"), ann("Random event: Random Weapon!"),
                     other()}),
              (V{"end:Colored view", "#0", "#1", "#2", "start:Random weapon(forced)", "#3", "#4"}));
    // The weapon ends silently by the clock, 1 s on.
    EXPECT_EQ(items(t, CallKind::Think, 305.99f, {}), V{});
    EXPECT_EQ(items(t, CallKind::Think, 306, {}), (V{"end:Random weapon(forced)(silent)"}));
}

TEST(Inference, SlowMovementHoldsUntilAndIncludingItsEndFrame) {
    EventTracker t;
    EXPECT_EQ(items(t, CallKind::Think, 300, {cvar("sv_maxspeed"), ann("Random event: Slow movement")}),
              (V{"start:Slow movement", "#0", "#1"}));
    EXPECT_EQ(items(t, CallKind::Think, 301, {cvar("sv_maxspeed")}), (V{"hold:Slow movement", "#0"}));
    // Some other variable is no hold.
    EXPECT_EQ(items(t, CallKind::Think, 302, {cvar("sv_gravity")}), (V{"#0"}));
    // End frame: the hold, then the end action's restore and announcement.
    EXPECT_EQ(items(t, CallKind::Think, 325,
                    {cvar("sv_maxspeed"), cvar("sv_maxspeed"), ann("Random event: Slow movement off")}),
              (V{"hold:Slow movement", "#0", "end:Slow movement", "#1", "#2"}));
    EXPECT_EQ(t.running(), nullptr);
    EXPECT_EQ(items(t, CallKind::Think, 326, {cvar("sv_maxspeed")}), (V{"#0"}));
}

TEST(Inference, RestartedWeaponAndMapChange) {
    EventTracker t;
    items(t, CallKind::Think, 10, {ann("Random event: Random Weapon!")});
    EXPECT_EQ(items(t, CallKind::Command, 10.5f, {ann("Random event: Random Weapon!")}),
              (V{"end:Random weapon(silent)", "start:Random weapon(forced)", "#0"}));
    items(t, CallKind::Think, 500, {ann("Random event: Low grav"), cvar("sv_gravity")});
    auto dropped = t.mapChange();
    ASSERT_TRUE(dropped.has_value());
    EXPECT_EQ(dropped->phase, Phase::Dropped);
    EXPECT_STREQ(dropped->kind->name, "Low gravity");
    EXPECT_FALSE(t.finish().has_value());
    // Texts that name no event are plain messages.
    EXPECT_EQ(items(t, CallKind::Think, 1, {ann("Random event: Low grav!")}), (V{"#0"}));
}

}  // namespace
