// jsonl_output.h: the run as one JSON object a line, for programs that check the bytes.
#ifndef QVCLI_JSONL_OUTPUT_H
#define QVCLI_JSONL_OUTPUT_H

#include <ostream>
#include <string>

#include "sink.h"
#include "summary.h"

namespace qvcli {

class JsonlOutput : public Sink {
public:
    // `tally` must come before this sink so its counts are complete at finish.
    JsonlOutput(std::ostream &out, const Tally &tally, bool quiet) : out_(out), tally_(tally), quiet_(quiet) {}

    void runStart(const RunInfo &info) override;
    void mapStart(const Stamp &s) override;
    void input(const Stamp &s, const Action &a) override;
    void event(const Stamp &s, const EventNote &n) override;
    void effect(const Stamp &s, const EffectNote &n) override;
    void finish(const RunEnd &end) override;

private:
    std::ostream &out_;
    const Tally &tally_;
    bool quiet_;
};

// A JSON string literal; bytes above 0x7f become \u0080..\u00ff.
std::string jsonString(const std::string &text);

}  // namespace qvcli

#endif
