// soak_test.cpp: a week of server time at 100 frames a second, every invariant checked all along.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "qvsim/invariants.h"
#include "qvsim/module.h"
#include "qvsim/sim_host.h"

namespace {

using qvsim::InvariantChecker;
using Call = InvariantChecker::Call;

constexpr int kSlots = 24;
constexpr long kFramesPerSecond = 100;
constexpr long kFramesPerMap = 30 * 60 * kFramesPerSecond;

// QV_SOAK_DAYS in the environment overrides the length the build chose.
double soakDays() {
    const char *env = std::getenv("QV_SOAK_DAYS");
    return env && *env ? std::atof(env) : QV_SOAK_DAYS;
}

// The world around the module: players, admins, chatter and server
// variables, each changing at random moments drawn from its own generator.
struct World {
    qvsim::SimHost host{kSlots, 20240601};
    qvsim::Module mod;
    InvariantChecker check{host};
    std::mt19937 rng{77};
    long joinsAndLeaves = 0;
    long cvarChanges = 0;
    long chatter = 0;

    template <typename Fn>
    void call(Call c, Fn fn) {
        check.begin(c);
        fn();
        check.end();
    }

    long within(long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(rng); }

    void say(int slot, std::vector<std::string> words) {
        host.setCommand(std::move(words));
        call(Call::Command, [&] { mod.clientCommand(host.entity(slot)); });
    }

    void playersCome() {
        for (int n = 1; n <= kSlots; ++n)
            host.setSlot(n, n <= 14 ? qvsim::SlotKind::Client : qvsim::SlotKind::Empty);
        host.setSlot(20, qvsim::SlotKind::NonClient);
        host.setAccess(1, true);
    }

    // Anyone but the admin in slot 1 joins, leaves or turns into a bot.
    void joinOrLeave() {
        static const qvsim::SlotKind kinds[] = {qvsim::SlotKind::Empty, qvsim::SlotKind::Client,
                                                qvsim::SlotKind::NonClient};
        host.setSlot(static_cast<int>(within(2, kSlots)), kinds[within(0, 2)]);
        ++joinsAndLeaves;
    }

    void changeCvar() {
        static const float values[] = {800.0f, 600.0f, 1200.0f, 0.0f, 320.0f, 250.0f, 500.0f, 100.0f};
        host.setCvar(within(0, 1) ? "sv_gravity" : "sv_maxspeed", values[within(0, 7)]);
        ++cvarChanges;
    }

    // Chat that is not the test command, or is it from someone without access.
    void chat() {
        static const std::vector<std::vector<std::string>> lines = {
            {"say", "gg"}, {"say_team", "!eventtest"}, {"say", "!eventtest2"}, {"say"}, {"kill"}};
        if (within(0, 3) == 0)
            say(static_cast<int>(within(2, kSlots)), {"say", "!EventTest"});
        else
            say(static_cast<int>(within(1, kSlots)), lines[static_cast<std::size_t>(within(0, 4))]);
        ++chatter;
    }
};

TEST(Soak, AWeekOfServerTimeKeepsEveryInvariant) {
    const double days = soakDays();
    const long totalFrames = static_cast<long>(days * 86400.0 * kFramesPerSecond);
    World w;
    w.host.install();
    ASSERT_TRUE(w.mod.load(QV_MODULE_PATH)) << w.mod.error();
    w.playersCome();
    w.mod.giveFuncs(w.host.table());

    // Forced events come every 0 to 40 minutes; one map in eight gets one in
    // its last half second, so a map change finds an event running.
    long nextForce = w.within(1, 40 * 60 * kFramesPerSecond);
    long nextChat = w.within(1, 5 * 60 * kFramesPerSecond);
    long nextPlayers = w.within(1, 60 * kFramesPerSecond);
    long nextCvar = w.within(1, 10 * 60 * kFramesPerSecond);

    const auto started = std::chrono::steady_clock::now();
    long mapFrame = 0;
    for (long frame = 1; frame <= totalFrames; ++frame) {
        if (mapFrame == 0) {
            w.host.clearRecords();
            w.host.setTime(0.0f);
            w.call(Call::MapStart, [&] { w.mod.mapInit(); });
        }
        ++mapFrame;
        w.host.setTime(static_cast<float>(static_cast<double>(mapFrame) / kFramesPerSecond));
        w.call(Call::Frame, [&] { w.mod.think(); });

        if (frame == nextForce) {
            w.say(1, {"say", "!eventtest"});
            nextForce = frame + w.within(1, 40 * 60 * kFramesPerSecond);
        }
        if (mapFrame == kFramesPerMap - 20 && w.within(0, 7) == 0) w.say(1, {"SAY", "!EVENTTEST"});
        if (frame == nextChat) {
            w.chat();
            nextChat = frame + w.within(1, 5 * 60 * kFramesPerSecond);
        }
        if (frame == nextPlayers) {
            w.joinOrLeave();
            nextPlayers = frame + w.within(1, 2 * 60 * kFramesPerSecond);
        }
        if (frame == nextCvar) {
            w.changeCvar();
            nextCvar = frame + w.within(1, 20 * 60 * kFramesPerSecond);
        }
        if (mapFrame == kFramesPerMap) mapFrame = 0;
        if ((frame & 0xffff) == 0) w.host.clearRecords();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const qvsim::InvariantStats &s = w.check.stats();
    std::printf("soak: %.2f days of server time, %llu frames (%llu with timing checked), %llu map starts, "
                "%.1f s wall\n",
                days, static_cast<unsigned long long>(s.frames), static_cast<unsigned long long>(s.timedFrames),
                static_cast<unsigned long long>(s.mapStarts), seconds);
    for (int n = 1; n <= 6; ++n)
        std::printf("soak: %-14s started %6llu  ended %6llu  dropped by a map change %4llu\n",
                    qvsim::eventKinds[static_cast<std::size_t>(n)].name,
                    static_cast<unsigned long long>(s.started[static_cast<std::size_t>(n)]),
                    static_cast<unsigned long long>(s.ended[static_cast<std::size_t>(n)]),
                    static_cast<unsigned long long>(s.dropped[static_cast<std::size_t>(n)]));
    std::printf("soak: %llu forced, %llu commands, %llu messages, %llu chat lines, %llu items, %llu cvar sets, "
                "%llu RandomLong calls\n",
                static_cast<unsigned long long>(s.forced), static_cast<unsigned long long>(s.commands),
                static_cast<unsigned long long>(s.messages), static_cast<unsigned long long>(s.chatLines),
                static_cast<unsigned long long>(s.items), static_cast<unsigned long long>(s.cvarSets),
                static_cast<unsigned long long>(s.randomCalls));
    std::printf("soak: the world: %ld joins and leaves, %ld server-variable changes, %ld other chat lines\n",
                w.joinsAndLeaves, w.cvarChanges, w.chatter);

    std::string found;
    for (const std::string &v : w.check.violations()) found += "\n  " + v;
    EXPECT_EQ(w.check.violationCount(), 0u) << found;
    EXPECT_EQ(s.frames, static_cast<unsigned long long>(totalFrames));
    // The clock is sane throughout, so no frame may escape the timing checks.
    EXPECT_EQ(s.timedFrames, s.frames);
    for (int n = 1; n <= 6; ++n)
        EXPECT_GT(s.started[static_cast<std::size_t>(n)], 0u) << qvsim::eventKinds[static_cast<std::size_t>(n)].name;
    EXPECT_GT(s.forced, 0u);
}

}  // namespace
