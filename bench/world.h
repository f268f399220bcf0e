// world.h: the real module loaded on a simulated host with a given number of players, for benchmarks.
#ifndef QV_BENCH_WORLD_H
#define QV_BENCH_WORLD_H

#include <stdexcept>

#include "qvsim/module.h"
#include "qvsim/sim_host.h"

namespace qvbench {

// Slot 1 is an admin; every other player has no access.
struct World {
    static constexpr int kAdmin = 1;
    static constexpr int kPlayer = 2;

    qvsim::SimHost host;
    qvsim::Module mod;

    explicit World(int players) : host(players, 1) {
        host.install();
        if (!mod.load(QV_MODULE_PATH)) throw std::runtime_error(mod.error());
        for (int n = 1; n <= players; ++n) host.setSlot(n, qvsim::SlotKind::Client);
        host.setAccess(kAdmin, true);
        mod.giveFuncs(host.table());
    }

    // A map start at `t` whose first event is due at 300 s.
    void mapStartAt(float t) {
        host.scriptRandom(300);
        host.setTime(t);
        mod.mapInit();
    }

    // Puts back what events change, so repeated starts see the same server.
    void restoreCvars() {
        host.setCvar("sv_gravity", 800.0f);
        host.setCvar("sv_maxspeed", 320.0f);
    }
};

}  // namespace qvbench

#endif
