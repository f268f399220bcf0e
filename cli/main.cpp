// main.cpp: quorvex-sim's entry: reads options and scenario, loads the module, runs, picks the exit status.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "jsonl_output.h"
#include "options.h"
#include "qvsim/module.h"
#include "run.h"
#include "scenario.h"
#include "summary.h"
#include "svg.h"
#include "text_output.h"

namespace {

constexpr int kExitFramingErrors = 1;
constexpr int kExitUsage = 2;

int fail(const std::string &message, bool usage = false) {
    std::cerr << "quorvex-sim: " << message << '\n';
    if (usage) std::cerr << "Try 'quorvex-sim --help' for more information.\n";
    return kExitUsage;
}

// The module built next to this program.
std::string defaultPlugin() {
    std::string dir = ".";
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        const std::string exe(self, static_cast<std::size_t>(n));
        const std::size_t slash = exe.rfind('/');
        if (slash != std::string::npos) dir = exe.substr(0, slash);
    }
    return dir + "/" + QV_MODULE_FILE;
}

}  // namespace

int main(int argc, char **argv) {
    using namespace qvcli;
    std::ios::sync_with_stdio(false);

    Options opts;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), opts, error)) return fail(error, true);
    if (opts.help) {
        std::cout << helpText();
        return 0;
    }
    if (opts.version) {
        std::cout << "quorvex-sim " << QV_VERSION << '\n';
        return 0;
    }
    if (!checkOptions(opts, error)) return fail(error, true);
    if (opts.plugin.empty()) opts.plugin = defaultPlugin();

    Scenario scenario = defaultScenario();
    if (!opts.scenario.empty()) {
        std::ifstream in(opts.scenario);
        if (!in) return fail("cannot read scenario " + opts.scenario + ": " + std::strerror(errno));
        if (!parseScenario(in, opts.scenario, scenario, error)) return fail(error);
    }
    const int maps = opts.mapsGiven ? opts.maps : std::max(1, mapsNeeded(scenario));
    ScenarioLimits limits;
    limits.maxClients = opts.maxClients;
    limits.mapSeconds = opts.mapMinutes * 60;
    limits.maps = maps;
    limits.mapsFixed = opts.mapsGiven;
    for (int n : clientSlots(opts)) limits.clients.insert(n);
    limits.nonClients.insert(opts.nonClients.begin(), opts.nonClients.end());
    if (!checkScenario(scenario, limits, error)) return fail(error);

    qvsim::Module module;
    if (!module.load(opts.plugin)) return fail(module.error());

    Tally tally;
    TextOutput text(std::cout, tally, opts.quiet);
    JsonlOutput jsonl(std::cout, tally, opts.quiet);
    TimelinePicture picture;
    std::vector<Sink *> sinks{&tally};
    if (opts.format == Format::Text)
        sinks.push_back(&text);
    else
        sinks.push_back(&jsonl);
    if (!opts.timeline.empty()) sinks.push_back(&picture);

    const std::size_t framing = runSimulation(opts, scenario, maps, module, sinks);
    std::cout.flush();
    if (!std::cout) return fail("cannot write the output");
    if (framing != 0) return kExitFramingErrors;
    if (!opts.timeline.empty() && !picture.write(opts.timeline, error)) return fail(error);
    return 0;
}
