// noheap_test.cpp: the module runs every event and command without one heap allocation of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "alloc_hook.h"
#include "guarded_table.h"
#include "qvsim/decode.h"
#include "qvsim/module.h"
#include "qvsim/sim_host.h"

namespace {

using noheap::inModule;

constexpr int kAdmin = 1;
constexpr int kPlayer = 2;

class NoHeap : public ::testing::Test {
protected:
    qvsim::SimHost host{32, 7};
    qvsim::Module mod;

    // Loads `path`, watches its code and hands it the guarded table; counts
    // start from here.
    void load(const char *path) {
        host.install();
        ASSERT_TRUE(mod.load(path)) << mod.error();
        ASSERT_TRUE(noheap::watchObjectContaining(reinterpret_cast<const void *>(mod.think)));
        // Clients in 1..28, an entity that is no client in 29, 30..32 empty.
        for (int n = 1; n <= 29; ++n)
            host.setSlot(n, n <= 28 ? qvsim::SlotKind::Client : qvsim::SlotKind::NonClient);
        host.setAccess(kAdmin, true);
        noheap::resetCounts();
        inModule(mod.giveFuncs, noheap::guardTable(host.table()));
    }

    void frame(float t) {
        host.setTime(t);
        inModule(mod.think);
    }

    void framesTo(float from, float to) {
        for (float t = from; t <= to; t += 0.05f) frame(t);
    }

    void command(int slot, std::vector<std::string> argv) {
        host.setCommand(std::move(argv));
        inModule(mod.clientCommand, host.entity(slot));
    }

    // A map start at 0 whose first start, at 300, draws `event`.
    void mapStartDrawing(int event) {
        host.scriptRandom({300, event});
        host.setTime(0.0f);
        inModule(mod.mapInit);
    }

    std::vector<std::string> announcements() const {
        std::vector<std::string> out;
        for (const auto &m : host.messages()) {
            const qvsim::Decoded d = qvsim::decode(m, host);
            if (d.kind != "TE_TEXTMESSAGE") continue;
            for (const auto &f : d.fields)
                if (f.isText) out.push_back(f.text);
        }
        return out;
    }
};

constexpr float endDelays[] = {0.0f, 20.0f, 10.0f, 10.0f, 20.0f, 1.0f, 25.0f};

TEST_F(NoHeap, ModuleAllocatesNothingThroughEveryEventAndCommand) {
    load(QV_MODULE_PATH);
    inModule(mod.gameDLLInit);
    inModule(mod.clientConnect, host.entity(3), "player", "10.0.0.3:27005");

    // Each event by the clock: start, every hold frame, end, next draw.
    for (int event = 1; event <= 6; ++event) {
        mapStartDrawing(event);
        framesTo(299.0f, 300.0f + endDelays[event] + 1.0f);
    }
    // The test command over each running event: its end action, then the
    // random weapon, then that event's end.
    for (int event = 1; event <= 6; ++event) {
        mapStartDrawing(event);
        frame(300.0f);
        command(kAdmin, {"say", "!eventtest"});
        framesTo(300.05f, 302.0f);
    }
    // Commands that do nothing, from players with and without access.
    mapStartDrawing(1);
    frame(10.0f);
    const struct {
        int slot;
        std::vector<std::string> argv;
    } commands[] = {
        {kPlayer, {"kill"}},          {kPlayer, {"say", "gg all"}},   {kPlayer, {"say", "!eventtest"}},
        {kAdmin, {"say_team", "!eventtest"}}, {kAdmin, {"say", "!eventtest2"}}, {kAdmin, {"say"}},
        {kAdmin, {}},
    };
    for (const auto &c : commands) command(c.slot, c.argv);
    // Forced weapons whose chat line is cut at its buffer, and with no tag.
    host.setTag(std::string(300, 't'));
    command(kAdmin, {"SAY", "!EventTest", "extra"});
    host.setNullTag(true);
    command(kAdmin, {"say", "!eventtest"});
    host.setNullTag(false);
    host.setNullArgv(true);
    command(kAdmin, {"say", "!eventtest"});
    host.setNullArgv(false);

    const noheap::Counts c = noheap::counts();
    std::printf("allocations in the process: %ld; by the host for the module: %ld; "
                "called from the module: %ld; while module code ran: %ld\n",
                c.total, c.byHostForModule, c.calledFromWatched, c.whileModuleRuns);
    EXPECT_EQ(c.calledFromWatched, 0);
    EXPECT_EQ(c.whileModuleRuns, 0);
    // The hook was live: the host allocated its records while serving the module.
    EXPECT_GT(c.byHostForModule, 0);

    // The workload did reach every action.
    const std::vector<std::string> seen = announcements();
    for (const char *text : {"Random event: Low grav", "Random event: Low grav off",
                             "Random event: All players have trail", "Random event: Trails off",
                             "Random event: Earthquake", "Random event: Earthquake end",
                             "Random event: Colored view", "Random event: Colored view off",
                             "Random event: Random Weapon!", "Random event: Slow movement",
                             "Random event: Slow movement off"})
        EXPECT_NE(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
    const auto &chat = host.chat();
    EXPECT_TRUE(std::any_of(chat.begin(), chat.end(), [](const qvsim::ChatLine &l) { return l.text.size() == 255; }))
        << "no chat line was cut at the buffer";
}

// The same harness on a module that does allocate: each kind is caught.
TEST_F(NoHeap, CatchesAModuleThatAllocates) {
    load(NOHEAP_FIXTURE_ALLOCATING);
    constexpr int kFrames = 50;
    constexpr int kCommands = 30;
    for (int i = 0; i < kFrames; ++i) frame(static_cast<float>(i));
    host.setCommand({"kill"});
    for (int i = 0; i < kCommands; ++i) inModule(mod.clientCommand, host.entity(kAdmin));

    const noheap::Counts c = noheap::counts();
    // plgThink's malloc is called from the fixture's own code.
    EXPECT_EQ(c.calledFromWatched, kFrames);
    // strdup's malloc is called from the C library, while fixture code runs.
    EXPECT_EQ(c.whileModuleRuns, kFrames + kCommands);
    // ClientPrint's records are the host's, not the fixture's.
    EXPECT_GT(c.byHostForModule, 0);
    EXPECT_EQ(host.chat().size(), static_cast<std::size_t>(kCommands));
}

}  // namespace
