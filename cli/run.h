// run.h: plays the maps of a run on a simulated host, driving the loaded module frame by frame.
#ifndef QVCLI_RUN_H
#define QVCLI_RUN_H

#include <vector>

#include "options.h"
#include "qvsim/module.h"
#include "scenario.h"
#include "sink.h"

namespace qvcli {

// Plays `maps` maps of the checked options and scenario on `module`
// (loaded, not yet handed a table), reporting to every sink in order.
// Returns the number of framing errors found.
std::size_t runSimulation(const Options &opts, const Scenario &scenario, int maps, qvsim::Module &module,
                          const std::vector<Sink *> &sinks);

}  // namespace qvcli

#endif
