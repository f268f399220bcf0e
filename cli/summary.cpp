// summary.cpp: counts events, messages and other effects of a run, and renders them for people.
#include "summary.h"

#include "numbers.h"

#include <cstdarg>
#include <cstdio>

namespace qvcli {

void Tally::event(const Stamp &, const EventNote &n) {
    PerKind &k = events_[static_cast<std::size_t>(n.kind->number)];
    if (n.phase == Phase::Start) ++(n.forced ? k.forced : k.random);
    if (n.phase == Phase::Dropped) ++k.dropped;
}

void Tally::effect(const Stamp &, const EffectNote &n) {
    switch (n.kind) {
    case qvsim::Effect::MessageSent: {
        MessageCount &m = messages_[n.decoded->kind];
        ++m.count;
        m.bytes += static_cast<long long>(n.message->payload.size());
        break;
    }
    case qvsim::Effect::Chat:
        ++chat_;
        break;
    case qvsim::Effect::Item:
        ++items_;
        break;
    case qvsim::Effect::Command:
        ++commands_;
        break;
    case qvsim::Effect::Cvar:
        ++cvarSets_;
        break;
    case qvsim::Effect::Framing:
        break;
    }
}

namespace {

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char *fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}


}  // namespace

std::string summaryText(const Tally &t) {
    std::string out = "Summary\n";
    const RunEnd &end = t.end();
    double played = 0;
    for (float len : end.mapLengths) played += len;
    out += format("  maps played: %zu (%s of server time), frames: %lld, seed %u\n", end.mapLengths.size(),
                  minutesSeconds(played).c_str(), end.frames, t.info().options ? t.info().options->seed : 0u);

    out += "  events started           random  forced  dropped by a map change\n";
    int random = 0, forced = 0, dropped = 0;
    for (const EventKind &k : qvsim::randomEvents()) {
        const Tally::PerKind &c = t.events()[static_cast<std::size_t>(k.number)];
        out += format("    %d %-20s %7d %7d %7d\n", k.number, k.name, c.random, c.forced, c.dropped);
        random += c.random;
        forced += c.forced;
        dropped += c.dropped;
    }
    out += format("      %-20s %7d %7d %7d\n", "all", random, forced, dropped);

    out += "  messages                  count   bytes\n";
    long long count = 0, bytes = 0;
    for (const auto &[kind, m] : t.messages()) {
        out += format("    %-22s %7lld %7lld\n", kind.c_str(), m.count, m.bytes);
        count += m.count;
        bytes += m.bytes;
    }
    out += format("    %-22s %7lld %7lld\n", "all", count, bytes);
    out += format("  chat lines: %lld, items given: %lld, console commands: %lld, server variable sets: %lld\n",
                  t.chatLines(), t.items(), t.commands(), t.cvarSets());
    out += "  server variables at the end:";
    for (const auto &[name, value] : end.cvars) out += format(" %s=%g", name.c_str(), static_cast<double>(value));
    out += "\n";
    if (end.strayCalls != 0) out += format("  calls to host slots this host does not provide: %zu\n", end.strayCalls);
    out += format("  framing errors: %zu\n", end.framingErrors);
    return out;
}

}  // namespace qvcli
