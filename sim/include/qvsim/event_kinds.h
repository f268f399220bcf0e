// event_kinds.h: the six random events as a host sees them: names, announcement texts, lengths, variables.
#ifndef QVSIM_EVENT_KINDS_H
#define QVSIM_EVENT_KINDS_H

#include <array>

namespace qvsim {

struct EventKind {
    int number;                // the module's event number, 1 to 6
    const char *name;
    const char *startText;     // the announcement that starts it
    const char *endText;       // the one that ends it; null: it ends silently, seen only as the next-start draw
    float length;              // seconds from start to end
    const char *cvar;          // the server variable it changes and restores, or null
    const char *heldVariable;  // the variable its hold sets every frame, or null
    bool announcesFirst;       // its actions announce before their other effects
};

// Indexed by event number; row 0 stands for "no event".
extern const std::array<EventKind, 7> eventKinds;

// Rows 1 to 6, for iterating over the real events.
struct EventRange {
    const EventKind *first, *last;
    const EventKind *begin() const { return first; }
    const EventKind *end() const { return last; }
};
inline EventRange randomEvents() { return {eventKinds.data() + 1, eventKinds.data() + eventKinds.size()}; }

}  // namespace qvsim

#endif
