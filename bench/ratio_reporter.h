// ratio_reporter.h: console output plus a summary of every figure as a multiple of the empty-call floor.
#ifndef QV_BENCH_RATIO_REPORTER_H
#define QV_BENCH_RATIO_REPORTER_H

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace qvbench {

// Name of the benchmark every other figure is divided by.
inline const char *const kFloorName = "floor/plgGameDLLInit";

// Prints the usual table, then, once every benchmark has run, each figure
// as a ratio to the floor, the targets, and the cost per player.  With
// repetitions the "min" statistic is used.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : benchmark::ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &reports) override;
    void Finalize() override;

private:
    struct Figure {
        std::string name;  // e.g. "start/trails/16"
        double ns;         // per iteration
    };
    std::vector<Figure> figures_;

    const Figure *find(const std::string &name) const;
    void printRatios(double floorNs) const;
    void printPerPlayer(double floorNs) const;
};

}  // namespace qvbench

#endif
