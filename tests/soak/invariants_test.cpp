// invariants_test.cpp: each invariant check fires on a record that breaks it, and stays quiet on sound ones.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "qvsim/invariants.h"
#include "qvsim/sim_host.h"

namespace {

using qvsim::InvariantChecker;
using Call = InvariantChecker::Call;

// Plays the module's side by calling the host's slots directly, so a test
// can write exactly the record it wants the checker to judge.
struct Script {
    qvsim::SimHost host{4, 1};
    InvariantChecker check{host};

    Script() {
        host.install();
        for (int n = 1; n <= 4; ++n) host.setSlot(n, qvsim::SlotKind::Client);
    }

    template <typename Fn>
    Fn slot(int n) {
        return reinterpret_cast<Fn>(host.table()[n]);
    }
    void call(Call c, float t, const std::function<void()> &body) {
        host.setTime(t);
        check.begin(c);
        body();
        check.end();
    }
    void frame(float t, const std::function<void()> &body = [] {}) { call(Call::Frame, t, body); }
    void command(float t, const std::function<void()> &body) { call(Call::Command, t, body); }

    int draw(int low, int high, int answer) {
        host.scriptRandom(answer);
        return slot<HostRandomLongFn>(SLOT_RandomLong)(low, high);
    }
    void mapStart(int firstStart) {
        call(Call::MapStart, 0.0f, [&] { draw(300, 420, firstStart); });
    }
    void begin(int dest, int type, EntityHandle e = nullptr) {
        slot<HostMessageBeginFn>(SLOT_MessageBegin)(dest, type, nullptr, e);
    }
    void end() { slot<HostMessageEndFn>(SLOT_MessageEnd)(); }
    void byte(int v) { slot<HostWriteByteFn>(SLOT_WriteByte)(v); }
    void shortv(int v) { slot<HostWriteShortFn>(SLOT_WriteShort)(v); }
    void string(const char *s) { slot<HostWriteStringFn>(SLOT_WriteString)(s); }
    void announce(const std::string &text) {
        begin(MSG_ALL, SVC_TEMPENTITY);
        byte(TE_TEXTMESSAGE);
        byte(255);
        shortv(0);
        shortv(4915);
        for (int b : {2, 255, 255, 0, 50, 0, 255, 255, 50}) byte(b);
        for (int s : {2, 512, 512, 1024}) shortv(s);
        string(text.c_str());
        end();
    }
    void fade(int n, int r, int g, int b) {
        begin(MSG_ONE, host.userMsgs().at("ScreenFade").id, host.entity(n));
        for (int s : {12288, 2048, 7}) shortv(s);
        for (int v : {r, g, b, 255}) byte(v);
        end();
    }
    void setCvar(const char *name, float v) { slot<HostCvarSetFloatFn>(SLOT_CvarSetFloat)(name, v); }
    void print(int n, const std::string &line) {
        slot<HostClientPrintFn>(SLOT_ClientPrint)(host.entity(n), HUD_PRINTTALK, line.c_str());
    }
    void give(int n, const char *item) { slot<HostGiveItemFn>(SLOT_GiveItem)(host.entity(n), item); }

    // Sound pieces of the module's behaviour to build a case on.
    void lowGravAt(float t) {
        frame(t, [&] {
            draw(1, 6, 1);
            announce("Random event: Low grav");
            setCvar("sv_gravity", 200.0f);
        });
    }
    void lowGravOffAt(float t, int pause = 300, float restore = 800.0f) {
        frame(t, [&] {
            announce("Random event: Low grav off");
            setCvar("sv_gravity", restore);
            draw(300, 420, pause);
        });
    }
    void weaponFor(int n, int row, const std::string &line, const char *item) {
        draw(1, 6, row);
        print(n, line);
        give(n, item);
    }

    bool saw(const std::string &what) const {
        for (const std::string &v : check.violations())
            if (v.find(what) != std::string::npos) return true;
        return false;
    }
    std::string all() const {
        std::string out;
        for (const std::string &v : check.violations()) out += "\n  " + v;
        return out;
    }
};

struct Case {
    const char *name;
    std::function<void(Script &)> run;
    const char *expected;  // part of the violation it must raise
};

const std::vector<Case> brokenRecords = {
    {"nested messages", [](Script &s) { s.frame(1, [&] { s.begin(MSG_ALL, SVC_TEMPENTITY); s.begin(MSG_ALL, SVC_TEMPENTITY); s.byte(99); s.shortv(1); s.end(); }); },
     "MessageBegin inside an open message"},
    {"a begin without its end", [](Script &s) { s.frame(1, [&] { s.begin(MSG_ALL, SVC_TEMPENTITY); s.byte(99); s.shortv(1); }); },
     "left open"},
    {"a write with no message open", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.frame(301, [&] { s.byte(1); }); },
     "framing: WriteByte with no message open"},
    {"an announcement over the engine's message limit", [](Script &s) { s.frame(1, [&] { s.announce(std::string(600, 'x')); }); },
     "TE_TEXTMESSAGE payload of"},
    {"a trail one byte long", [](Script &s) {
         s.mapStart(300);
         s.frame(300, [&] { s.draw(1, 6, 2); s.announce("Random event: All players have trail");
             s.begin(MSG_ALL, SVC_TEMPENTITY); s.byte(TE_BEAMFOLLOW); for (int i = 0; i < 6; ++i) s.shortv(1); s.end(); });
     }, "TE_BEAMFOLLOW payload of 13 bytes, limits 11..11"},
    {"a second event while one runs", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.frame(305, [&] { s.draw(1, 6, 3); s.announce("Random event: Earthquake"); }); },
     "drawn while Low gravity runs"},
    {"forcing without ending the running event", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.command(305, [&] { s.announce("Random event: Random Weapon!"); }); },
     "forced while Low gravity still runs"},
    {"an end text for an event that does not run", [](Script &s) { s.mapStart(300); s.frame(10, [&] { s.announce("Random event: Trails off"); }); },
     "Trails ended while no event runs"},
    {"an event that overstays its end frame", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.frame(319.99f); s.frame(320); },
     "Low gravity did not end in the first frame at or after 320"},
    {"an event that ends early", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.lowGravOffAt(319.99f); },
     "ended before its end time 320"},
    {"an end with no next-start draw", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.frame(320, [&] { s.announce("Random event: Low grav off"); s.setCvar("sv_gravity", 800); }); },
     "without drawing the next start"},
    {"a random weapon ending with no draw", [](Script &s) { s.mapStart(300); s.frame(300, [&] { s.draw(1, 6, 5); s.announce("Random event: Random Weapon!"); }); s.frame(300.5f); s.frame(301); },
     "Random weapon did not end in the first frame at or after 301"},
    {"no start in the first frame at the drawn pause", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.lowGravOffAt(320, 333); s.frame(652.99f); s.frame(653); },
     "no event started in the first frame at or after the next start 653"},
    {"a start before the drawn pause", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.lowGravOffAt(320, 333); s.lowGravAt(652.5f); },
     "an event started before the next start 653"},
    {"a start before the first map start", [](Script &s) { s.lowGravAt(300); },
     "a random start before the first map start"},
    {"gravity left changed after the event", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.lowGravOffAt(320, 300, 200.0f); },
     "sv_gravity is 200 after Low gravity ended; its saved value was 800"},
    {"gravity restored to what the host set during the event", [](Script &s) {
         s.mapStart(300); s.lowGravAt(300); s.host.setCvar("sv_gravity", 500); s.lowGravOffAt(320, 300, 500.0f);
     }, "sv_gravity is 500 after Low gravity ended; its saved value was 800"},
    {"a chat line over 255 bytes", [](Script &s) {
         s.host.setTag(std::string(300, 't'));
         s.mapStart(300);
         s.frame(300, [&] { s.draw(1, 6, 5); s.announce("Random event: Random Weapon!");
             s.weaponFor(1, 2, "[" + std::string(300, 't') + "] You got the AC.\n", "tf_weapon_ac"); });
     }, "a chat line of 319 bytes, over 255"},
    {"an announcement that is no event's", [](Script &s) { s.mapStart(300); s.frame(300, [&] { s.draw(1, 6, 1); s.announce("Random event: Double jump"); }); },
     "announcement not in the event table"},
    {"an event other than the one drawn", [](Script &s) { s.mapStart(300); s.frame(300, [&] { s.draw(1, 6, 3); s.announce("Random event: Low grav"); }); },
     "Low gravity announced without being drawn (Earthquake was)"},
    {"an out-of-bounds draw not clamped into the table", [](Script &s) { s.mapStart(300); s.frame(300, [&] { s.draw(1, 6, 9); s.announce("Random event: Low grav"); }); },
     "(Slow movement was)"},
    {"a chat line from another weapon row", [](Script &s) {
         s.mapStart(300);
         s.frame(300, [&] { s.draw(1, 6, 5); s.announce("Random event: Random Weapon!");
             s.weaponFor(1, 1, "[Quorvex] You got the AC.\n", "tf_weapon_tranq"); });
     }, "the chat line is not row 1 of the weapon table"},
    {"an item from another weapon row", [](Script &s) {
         s.mapStart(300);
         s.frame(300, [&] { s.draw(1, 6, 5); s.announce("Random event: Random Weapon!");
             s.weaponFor(1, 2, "[Quorvex] You got the AC.\n", "tf_weapon_rpg"); });
     }, "item tf_weapon_rpg is not row 2 of the weapon table"},
    {"a tint that is no row of the table", [](Script &s) {
         s.mapStart(300);
         s.frame(300, [&] { s.draw(1, 6, 4); s.draw(1, 6, 2); s.fade(1, 255, 0, 0); s.announce("Random event: Colored view"); });
     }, "the tint 255,0,0 is not row 2 of the tint table"},
    {"a message kind no event sends", [](Script &s) { s.mapStart(300); s.lowGravAt(300); s.frame(301, [&] { s.fade(1, 0, 0, 0); }); },
     "ScreenFade sent during Low gravity"},
};

TEST(InvariantChecker, FlagsEveryBrokenRecord) {
    for (const Case &c : brokenRecords) {
        Script s;
        c.run(s);
        EXPECT_TRUE(s.saw(c.expected)) << c.name << ": wanted \"" << c.expected << "\", got:" << s.all();
    }
}

TEST(InvariantChecker, SoundRecordsRaiseNothing) {
    const std::vector<Case> sound = {
        {"low gravity from start to end, host changing gravity meanwhile", [](Script &s) {
             s.mapStart(300); s.lowGravAt(300); s.host.setCvar("sv_gravity", 500); s.frame(319.99f); s.lowGravOffAt(320);
             s.frame(619.99f); s.lowGravAt(620);
         }, ""},
        {"a map change drops an event with nothing restored", [](Script &s) {
             s.mapStart(300); s.lowGravAt(300); s.mapStart(310); s.frame(5); s.lowGravAt(310);
         }, ""},
        {"forcing ends the running event first, then the weapon ends on the clock", [](Script &s) {
             s.mapStart(300); s.lowGravAt(300);
             s.command(305, [&] { s.announce("Random event: Low grav off"); s.setCvar("sv_gravity", 800);
                 s.announce("Random event: Random Weapon!");
                 s.weaponFor(2, 6, "[Quorvex] You got the auto rifle.\n", "tf_weapon_autorifle"); });
             s.frame(305.5f); s.frame(306, [&] { s.draw(300, 420, 420); }); s.frame(725.9f);
         }, ""},
        {"a clamped draw picks the last row", [](Script &s) {
             s.mapStart(300); s.frame(300, [&] { s.draw(1, 6, 1000); s.setCvar("sv_maxspeed", 100); s.announce("Random event: Slow movement"); });
         }, ""},
    };
    for (const Case &c : sound) {
        Script s;
        c.run(s);
        EXPECT_TRUE(s.check.ok()) << c.name << ":" << s.all();
    }
}

// A clock that is NaN, infinite or jumps back stops the timing checks until
// a sane clock gives a new reference; framing is still checked.
TEST(InvariantChecker, HostileClockSuspendsOnlyTheTimingChecks) {
    Script s;
    s.mapStart(300);
    s.lowGravAt(300);
    s.frame(std::numeric_limits<float>::quiet_NaN());
    s.frame(400);  // after a NaN no reference is trusted: the overdue end is not flagged
    s.frame(100);  // backwards
    EXPECT_TRUE(s.check.ok()) << s.all();
    EXPECT_EQ(s.check.stats().timedFrames, 1u);  // only the start frame
    s.frame(101, [&] { s.begin(MSG_ALL, SVC_TEMPENTITY); });
    EXPECT_TRUE(s.saw("left open")) << s.all();
}

}  // namespace
