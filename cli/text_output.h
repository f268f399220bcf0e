// text_output.h: the readable timeline: one stamped line per event, input and effect, then the summary.
#ifndef QVCLI_TEXT_OUTPUT_H
#define QVCLI_TEXT_OUTPUT_H

#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "sink.h"
#include "summary.h"

namespace qvcli {

class TextOutput : public Sink {
public:
    // `tally` must come before this sink so its counts are complete at finish.
    TextOutput(std::ostream &out, const Tally &tally, bool quiet) : out_(out), tally_(tally), quiet_(quiet) {}

    void runStart(const RunInfo &info) override;
    void mapStart(const Stamp &s) override;
    void input(const Stamp &s, const Action &a) override;
    void event(const Stamp &s, const EventNote &n) override;
    void effect(const Stamp &s, const EffectNote &n) override;
    void finish(const RunEnd &end) override;

private:
    void line(const Stamp &s, const std::string &text);
    void flushFolded();

    std::ostream &out_;
    const Tally &tally_;
    bool quiet_;
    // Repeated holds that change nothing are folded into one line: a hold
    // waits for the variable set that follows it to see whether it changed.
    std::optional<std::pair<Stamp, EventNote>> pendingHold_;
    bool streak_ = false;        // the last lines shown were a hold that changed nothing
    long long folded_ = 0;
    Stamp lastFolded_;
    std::string heldName_;
};

// One decoded message: destination, kind and fields, colours grouped.
std::string describeMessage(const qvsim::Message &m, const qvsim::Decoded &d);

}  // namespace qvcli

#endif
