// inference.cpp: the event table as seen from outside, and the tracker that reads events from effects.
#include "inference.h"

namespace qvcli {

namespace {

struct Announcement {
    const EventKind *kind;
    bool start;
    std::size_t index;
};

const EventKind *kindOf(const std::string &text, bool &start) {
    for (const EventKind &k : qvsim::randomEvents()) {
        if (text == k.startText) {
            start = true;
            return &k;
        }
        if (k.endText != nullptr && text == k.endText) {
            start = false;
            return &k;
        }
    }
    return nullptr;
}

}  // namespace

const char *phaseName(Phase p) {
    static const char *const names[] = {"start", "hold", "end", "dropped", "unfinished"};
    return names[static_cast<int>(p)];
}

const char *callName(CallKind c) {
    static const char *const names[] = {"DFGiveFuncs", "plgGameDLLInit", "plgMapInit",
                                        "plgThink",    "plgClientConnect", "plgClientCommand", "none"};
    return names[static_cast<int>(c)];
}

std::vector<Item> EventTracker::call(CallKind kind, float now, const std::vector<Observed> &effects) {
    std::vector<Item> items;
    const auto note = [&](Phase phase, const EventNote &from, bool silent = false) {
        EventNote n = from;
        n.phase = phase;
        n.silent = silent;
        items.push_back(Item{n, 0});
    };

    // A silent event ends by the clock in the first frame at or after its
    // length, computed in float as the module does.
    if (kind == CallKind::Think && running_ && running_->kind->endText == nullptr &&
        now >= running_->kind->length + running_->startTime) {
        note(Phase::End, *running_, true);
        running_.reset();
    }

    std::vector<Announcement> anns;
    for (std::size_t i = 0; i < effects.size(); ++i) {
        bool start = false;
        if (const EventKind *k = kindOf(effects[i].announcement, start)) anns.push_back({k, start, i});
    }

    // Holds: in a frame, every set of the running event's held variable,
    // but not the set its end action makes just before announcing the end.
    std::vector<bool> hold(effects.size(), false);
    if (kind == CallKind::Think && running_ && running_->kind->heldVariable != nullptr) {
        const EventKind *k = running_->kind;
        for (std::size_t i = 0; i < effects.size(); ++i) {
            if (!effects[i].announcement.empty()) break;
            const bool beforeEnd = i + 1 < effects.size() && effects[i + 1].announcement == k->endText;
            hold[i] = effects[i].cvar == k->heldVariable && !beforeEnd;
        }
    }

    // Where each announced action begins: at its announcement, or for an
    // action that announces last, at its first effect after what went before.
    std::vector<std::size_t> begin(anns.size());
    std::size_t cursor = 0;
    for (std::size_t j = 0; j < anns.size(); ++j) {
        if (anns[j].kind->announcesFirst) {
            begin[j] = anns[j].index;
        } else {
            std::size_t b = cursor;
            while (b < anns[j].index && hold[b]) ++b;
            begin[j] = b;
        }
        cursor = anns[j].index + 1;
    }

    std::size_t next = 0;
    for (std::size_t i = 0; i < effects.size(); ++i) {
        for (; next < anns.size() && begin[next] == i; ++next) {
            const Announcement &a = anns[next];
            if (a.start) {
                // Whatever still runs was ended by this start; an event
                // with an end text would have announced it.
                if (running_) note(Phase::End, *running_, true);
                EventNote n;
                n.kind = a.kind;
                n.forced = kind == CallKind::Command;
                n.startTime = now;
                running_ = n;
                note(Phase::Start, n);
            } else {
                EventNote n;
                if (running_ && running_->kind == a.kind) {
                    n = *running_;
                } else {
                    n.kind = a.kind;
                    n.startTime = now;
                }
                running_.reset();
                note(Phase::End, n);
            }
        }
        if (hold[i] && running_) note(Phase::Hold, *running_);
        items.push_back(Item{std::nullopt, i});
    }
    return items;
}

std::optional<EventNote> EventTracker::close(Phase phase) {
    if (!running_) return std::nullopt;
    EventNote n = *running_;
    n.phase = phase;
    running_.reset();
    return n;
}

std::optional<EventNote> EventTracker::mapChange() { return close(Phase::Dropped); }

std::optional<EventNote> EventTracker::finish() { return close(Phase::Unfinished); }

}  // namespace qvcli
