// ratio_reporter.cpp: the floor-ratio summary, the targets and the per-player table.
#include "ratio_reporter.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace qvbench {

namespace {

struct Target {
    const char *name;
    double maxRatio;
};

// Upper bounds, as multiples of the floor.
constexpr Target targets[] = {
    {"think/waiting", 1.5},
    {"command/not-say", 2.0},
};

// A figure at 16 players may stray this far from the straight line through
// 8 and 32 players and still count as linear.
constexpr double kLinearTolerance = 0.15;

// CPU time, which another process taking the core does not inflate; a
// manually timed benchmark's own clock for the part it times.
double toNs(const benchmark::BenchmarkReporter::Run &r) {
    const bool manual = r.run_name.time_type.find("manual") != std::string::npos;
    const double t = manual ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime();
    return t * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
}

std::string figureName(const benchmark::BenchmarkReporter::Run &r) {
    return r.run_name.args.empty() ? r.run_name.function_name
                                   : r.run_name.function_name + "/" + r.run_name.args;
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run> &reports) {
    ConsoleReporter::ReportRuns(reports);
    // The fastest repetition if there were several, else the one run.
    const Run *chosen = nullptr;
    for (const Run &r : reports) {
        if (r.error_occurred) continue;
        if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min") chosen = &r;
        if (r.run_type == Run::RT_Iteration && (chosen == nullptr || chosen->run_type == Run::RT_Iteration))
            chosen = &r;
    }
    if (chosen != nullptr) figures_.push_back(Figure{figureName(*chosen), toNs(*chosen)});
}

const RatioReporter::Figure *RatioReporter::find(const std::string &name) const {
    for (const Figure &f : figures_)
        if (f.name == name) return &f;
    return nullptr;
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    const Figure *floor = find(kFloorName);
    if (floor == nullptr || !(floor->ns > 0)) {
        std::printf("\nno floor measured (%s was filtered out or failed): no ratios\n", kFloorName);
        return;
    }
    printRatios(floor->ns);
    printPerPlayer(floor->ns);
    std::fflush(stdout);
}

void RatioReporter::printRatios(double floorNs) const {
    std::printf("\nEvery figure against the floor (%s = %.3f ns, same run; fastest repetition;\n CPU time, or the timed part alone for the start/ and event/ figures)\n", kFloorName, floorNs);
    std::printf("%-36s %14s %12s  %s\n", "figure", "ns", "x floor", "target");
    for (const Figure &f : figures_) {
        const double ratio = f.ns / floorNs;
        std::string verdict;
        for (const Target &t : targets) {
            if (f.name != t.name) continue;
            char buf[64];
            std::snprintf(buf, sizeof buf, "<= %.1f x floor: %s", t.maxRatio,
                          ratio <= t.maxRatio ? "met" : "MISSED");
            verdict = buf;
        }
        std::printf("%-36s %14.2f %12.2f  %s\n", f.name.c_str(), f.ns, ratio, verdict.c_str());
    }
    for (const Target &t : targets)
        if (find(t.name) == nullptr) std::printf("%-36s not measured in this run\n", t.name);
}

void RatioReporter::printPerPlayer(double floorNs) const {
    // Groups "start/trails/8", "start/trails/16", ... by everything before
    // the player count.
    std::map<std::string, std::map<int, double>> groups;
    std::vector<std::string> order;
    for (const Figure &f : figures_) {
        const auto slash = f.name.rfind('/');
        if (slash == std::string::npos) continue;
        const std::string group = f.name.substr(0, slash);
        if (group.rfind("start/", 0) != 0 && group.rfind("event/", 0) != 0) continue;
        const int players = std::atoi(f.name.c_str() + slash + 1);
        if (players <= 0) continue;
        if (groups.find(group) == groups.end()) order.push_back(group);
        groups[group][players] = f.ns;
    }
    if (order.empty()) return;

    std::printf("\nCost per player (ns per player, and x floor per player)\n");
    std::printf("%-28s %10s %10s %10s %12s %12s %10s  %s\n", "event", "8", "16", "32", "ns/player",
                "x floor/pl", "fixed ns", "linear in players");
    for (const std::string &g : order) {
        const auto &by = groups[g];
        auto at = [&](int p) {
            auto it = by.find(p);
            return it == by.end() ? NAN : it->second;
        };
        const double t8 = at(8), t16 = at(16), t32 = at(32);
        // Straight line through 8 and 32 players; 16 players must sit on it.
        const double slope = (t32 - t8) / 24.0;
        const double fixed = t8 - 8.0 * slope;
        const double offLine = (t16 - (fixed + 16.0 * slope)) / t16;
        const bool linear = std::fabs(offLine) <= kLinearTolerance;
        std::printf("%-28s %10.1f %10.1f %10.1f %12.1f %12.1f %10.1f  %s (16 players %+.1f%% off the line)\n",
                    g.c_str(), t8 / 8.0, t16 / 16.0, t32 / 32.0, slope, slope / floorNs, fixed,
                    std::isnan(offLine) ? "not measured" : (linear ? "yes" : "NO"), offLine * 100.0);
    }
    std::printf("(columns 8/16/32: total ns divided by the players; ns/player: slope of the line through 8 and 32;\n"
                " linear: 16 players within %.0f%% of that line)\n",
                kLinearTolerance * 100.0);
}

}  // namespace qvbench
