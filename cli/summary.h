// summary.h: the counts of a run, gathered as a sink, and their readable rendering.
#ifndef QVCLI_SUMMARY_H
#define QVCLI_SUMMARY_H

#include <map>
#include <string>
#include <vector>

#include "sink.h"

namespace qvcli {

struct MessageCount {
    long long count = 0;
    long long bytes = 0;  // payload bytes
};

class Tally : public Sink {
public:
    struct PerKind {
        int random = 0;
        int forced = 0;
        int dropped = 0;  // by a map change
    };

    void runStart(const RunInfo &info) override { info_ = info; }
    void event(const Stamp &, const EventNote &n) override;
    void effect(const Stamp &, const EffectNote &n) override;
    void finish(const RunEnd &end) override { end_ = end; }

    const RunInfo &info() const { return info_; }
    const RunEnd &end() const { return end_; }
    // Indexed by event number 1..6; [0] unused.
    const std::vector<PerKind> &events() const { return events_; }
    // Keyed by decoded kind, e.g. "TE_TEXTMESSAGE", "ScreenFade".
    const std::map<std::string, MessageCount> &messages() const { return messages_; }
    long long chatLines() const { return chat_; }
    long long items() const { return items_; }
    long long commands() const { return commands_; }
    long long cvarSets() const { return cvarSets_; }

private:
    RunInfo info_;
    RunEnd end_;
    std::vector<PerKind> events_ = std::vector<PerKind>(7);
    std::map<std::string, MessageCount> messages_;
    long long chat_ = 0, items_ = 0, commands_ = 0, cvarSets_ = 0;
};

// The summary as a few readable lines.
std::string summaryText(const Tally &t);

}  // namespace qvcli

#endif
