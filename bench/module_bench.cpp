// module_bench.cpp: the module's entry points timed through the simulated host, against an empty export.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "world.h"

namespace qvbench {

namespace {

using Clock = std::chrono::steady_clock;

// Host records grow with every effect; they are dropped this often, untimed.
constexpr benchmark::IterationCount kClearEvery = 4096;

void Floor(benchmark::State &state) {
    World w(16);
    const PlgGameDLLInitFn fn = w.mod.gameDLLInit;
    for (auto _ : state) fn();
}

void ThinkWaiting(benchmark::State &state) {
    World w(16);
    w.mapStartAt(0.0f);
    w.host.setTime(10.0f);
    const PlgThinkFn fn = w.mod.think;
    for (auto _ : state) fn();
    if (!w.host.effects().empty()) state.SkipWithError("a waiting frame did something");
}

void ThinkSlowMoveHold(benchmark::State &state) {
    World w(16);
    w.host.scriptRandom({300, 6});
    w.host.setTime(0.0f);
    w.mod.mapInit();
    w.host.setTime(300.0f);
    w.mod.think();
    w.host.setTime(305.0f);  // past the hold's start, before the end
    w.host.clearRecords();
    const PlgThinkFn fn = w.mod.think;
    for (auto _ : state) {
        fn();
        if (state.iterations() % kClearEvery == 0) {
            state.PauseTiming();
            if (w.host.cvarSets().empty()) state.SkipWithError("the hold set nothing");
            w.host.clearRecords();
            state.ResumeTiming();
        }
    }
}

// One command, repeated from one player; nothing may come of it.
void Command(benchmark::State &state, std::vector<std::string> argv, int slot) {
    World w(16);
    w.mapStartAt(0.0f);
    w.host.setTime(10.0f);
    w.host.setCommand(std::move(argv));
    const PlgClientCommandFn fn = w.mod.clientCommand;
    const EntityHandle client = w.host.entity(slot);
    for (auto _ : state) benchmark::DoNotOptimize(fn(client));
    if (!w.host.effects().empty()) state.SkipWithError("the command did something");
}

// The frame in which event `event` starts, with state.range(0) players.
void StartFrame(benchmark::State &state, int event) {
    const int players = static_cast<int>(state.range(0));
    World w(players);
    const PlgThinkFn think = w.mod.think;
    std::size_t effects = 0;
    for (auto _ : state) {
        w.restoreCvars();
        w.host.scriptRandom({300, event});
        w.host.setTime(0.0f);
        w.mod.mapInit();
        w.host.setTime(300.0f);
        const auto t0 = Clock::now();
        think();
        const auto t1 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        effects = w.host.effects().size();
        if (w.host.messages().empty()) state.SkipWithError("the event did not start");
        w.host.clearRecords();
    }
    state.counters["effects"] = static_cast<double>(effects);
}

// The whole random-weapon event as the admin forces it: the command that
// starts it and the frame that ends it.
void WholeRandomWeapon(benchmark::State &state) {
    const int players = static_cast<int>(state.range(0));
    World w(players);
    w.host.setCommand({"say", "!eventtest"});
    const PlgThinkFn think = w.mod.think;
    const PlgClientCommandFn command = w.mod.clientCommand;
    const EntityHandle admin = w.host.entity(World::kAdmin);
    for (auto _ : state) {
        w.mapStartAt(0.0f);
        w.host.setTime(10.0f);
        const auto t0 = Clock::now();
        command(admin);
        w.host.setTime(11.0f);
        think();
        const auto t1 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        if (w.host.items().size() != static_cast<std::size_t>(players))
            state.SkipWithError("not every player got a weapon");
        w.host.clearRecords();
    }
}

struct EventName {
    int number;
    const char *name;
};

constexpr EventName events[] = {
    {1, "low-gravity"}, {2, "trails"},        {3, "earthquake"},
    {4, "colored-view"}, {5, "random-weapon"}, {6, "slow-movement"},
};

constexpr int playerCounts[] = {8, 16, 32};

// Other work on the machine only ever adds time, so across repetitions the
// fastest is the truest; the reporter prefers it.
double fastest(const std::vector<double> &v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }

void registerAll() {
    std::vector<benchmark::internal::Benchmark *> all;
    all.push_back(benchmark::RegisterBenchmark(kFloorName, Floor));
    all.push_back(benchmark::RegisterBenchmark("think/waiting", ThinkWaiting));
    all.push_back(benchmark::RegisterBenchmark("think/slow-move-hold", ThinkSlowMoveHold));
    all.push_back(benchmark::RegisterBenchmark("command/not-say", Command, std::vector<std::string>{"kill"},
                                               World::kPlayer));
    all.push_back(benchmark::RegisterBenchmark("command/say-other", Command,
                                               std::vector<std::string>{"say", "gg all"}, World::kPlayer));
    all.push_back(benchmark::RegisterBenchmark("command/eventtest-no-access", Command,
                                               std::vector<std::string>{"say", "!eventtest"}, World::kPlayer));
    for (const EventName &e : events) {
        auto *b = benchmark::RegisterBenchmark((std::string("start/") + e.name).c_str(), StartFrame, e.number);
        for (int p : playerCounts) b->Arg(p);
        all.push_back(b->UseManualTime());
    }
    auto *whole = benchmark::RegisterBenchmark("event/random-weapon-whole", WholeRandomWeapon);
    for (int p : playerCounts) whole->Arg(p);
    all.push_back(whole->UseManualTime());
    for (auto *b : all) b->ComputeStatistics("min", fastest);
}

}  // namespace

}  // namespace qvbench

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    qvbench::registerAll();
    qvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
