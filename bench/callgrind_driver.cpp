// callgrind_driver.cpp: one fixed workload phase per run, in its own function, for instruction counting.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "world.h"

// Callgrind collects only inside these (--toggle-collect=qvPhase*), so
// loading the module and setting up the host are not counted.
extern "C" {

__attribute__((noinline)) void qvPhaseEmptyCalls(PlgGameDLLInitFn empty, long n) {
    for (long i = 0; i < n; ++i) empty();
}

__attribute__((noinline)) void qvPhaseWaitingFrames(PlgThinkFn think, long n) {
    for (long i = 0; i < n; ++i) think();
}

__attribute__((noinline)) void qvPhaseCommands(PlgClientCommandFn command, EntityHandle client, long n) {
    for (long i = 0; i < n; ++i) command(client);
}

}  // extern "C"

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s floor|waiting|not-say|say-other COUNT\n", argv[0]);
        return 2;
    }
    const char *phase = argv[1];
    const long n = std::atol(argv[2]);
    qvbench::World w(16);
    w.mapStartAt(0.0f);
    w.host.setTime(10.0f);

    if (std::strcmp(phase, "floor") == 0) {
        qvPhaseEmptyCalls(w.mod.gameDLLInit, n);
    } else if (std::strcmp(phase, "waiting") == 0) {
        qvPhaseWaitingFrames(w.mod.think, n);
    } else if (std::strcmp(phase, "not-say") == 0) {
        w.host.setCommand({"kill"});
        qvPhaseCommands(w.mod.clientCommand, w.host.entity(qvbench::World::kPlayer), n);
    } else if (std::strcmp(phase, "say-other") == 0) {
        w.host.setCommand({"say", "gg all"});
        qvPhaseCommands(w.mod.clientCommand, w.host.entity(qvbench::World::kPlayer), n);
    } else {
        std::fprintf(stderr, "unknown phase %s\n", phase);
        return 2;
    }
    // A phase that made the module act measured the wrong thing.
    if (!w.host.effects().empty()) {
        std::fprintf(stderr, "phase %s: the module did something\n", phase);
        return 1;
    }
    return 0;
}
