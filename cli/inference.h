// inference.h: which random event starts, holds and ends, read from what the module does.
#ifndef QVCLI_INFERENCE_H
#define QVCLI_INFERENCE_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "qvsim/event_kinds.h"

namespace qvcli {

using qvsim::EventKind;

enum class Phase { Start, Hold, End, Dropped, Unfinished };
const char *phaseName(Phase p);

struct EventNote {
    const EventKind *kind = nullptr;
    Phase phase = Phase::Start;
    bool forced = false;      // started inside a client command
    float startTime = 0;      // of the event this note belongs to
    bool silent = false;      // an end with no announcement
};

// None: between entry points (a scenario action that calls none, a map change).
enum class CallKind { GiveFuncs, GameDLLInit, MapInit, Think, Connect, Command, None };
const char *callName(CallKind c);

// The little the tracker needs to know about one effect.
struct Observed {
    std::string announcement;  // text of a TE_TEXTMESSAGE, else empty
    std::string cvar;          // name of a server variable the module set, else empty
};

// One line of the call's output: an event note, or the effect at `effect`.
struct Item {
    std::optional<EventNote> note;
    std::size_t effect = 0;
};

class EventTracker {
public:
    // Orders one entry-point call's effects with the event notes they imply.
    std::vector<Item> call(CallKind kind, float now, const std::vector<Observed> &effects);
    // A map change drops the running event without its end action.
    std::optional<EventNote> mapChange();
    // The run ended with an event still running.
    std::optional<EventNote> finish();
    const EventKind *running() const { return running_ ? running_->kind : nullptr; }

private:
    // The running event, if any, ends here with `phase`.
    std::optional<EventNote> close(Phase phase);
    std::optional<EventNote> running_;
};

}  // namespace qvcli

#endif
