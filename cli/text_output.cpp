// text_output.cpp: renders a run as a readable timeline stamped with map number and server time.
#include "text_output.h"

#include <cstdio>

#include "qvsim/decode.h"
#include "qvsim/sim_host.h"

namespace qvcli {

namespace {

std::string seconds(float t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(t));
    return buf;
}

std::string floatText(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    return buf;
}

// "1-12,16" from a sorted list.
std::string ranges(const std::vector<int> &slots) {
    if (slots.empty()) return "none";
    std::string out;
    for (std::size_t i = 0; i < slots.size();) {
        std::size_t j = i;
        while (j + 1 < slots.size() && slots[j + 1] == slots[j] + 1) ++j;
        if (!out.empty()) out += ',';
        out += std::to_string(slots[i]);
        if (j > i) out += '-' + std::to_string(slots[j]);
        i = j + 1;
    }
    return out;
}

std::string argvText(const std::vector<std::string> &argv) {
    std::string out;
    for (const std::string &a : argv) out += (out.empty() ? "" : " ") + qvsim::quoted(a);
    return out;
}

}  // namespace

std::string describeMessage(const qvsim::Message &m, const qvsim::Decoded &d) {
    std::string out = *destinationName(m.dest) ? destinationName(m.dest) : "dest " + std::to_string(m.dest);
    if (m.entity > 0) out += " to slot " + std::to_string(m.entity);
    out += ' ' + d.kind;
    const auto &fs = d.fields;
    // Texts first: they say what a message is for.
    for (const qvsim::Field &f : fs)
        if (f.isText) out += ' ' + f.name + '=' + qvsim::quoted(f.text);
    for (std::size_t i = 0; i < fs.size(); ++i) {
        const qvsim::Field &f = fs[i];
        if (f.isText) continue;
        // r, g, b (with a shared suffix) read as one colour.
        const std::string suffix = f.name.size() >= 1 ? f.name.substr(1) : "";
        if (f.name[0] == 'r' && i + 2 < fs.size() && fs[i + 1].name == "g" + suffix && fs[i + 2].name == "b" + suffix) {
            out += " colour" + suffix + "=(" + std::to_string(f.raw) + ',' + std::to_string(fs[i + 1].raw) + ',' +
                   std::to_string(fs[i + 2].raw) + ')';
            i += 2;
            if (i + 1 < fs.size() && fs[i + 1].name == "a" + suffix) {
                out += " alpha" + suffix + '=' + std::to_string(fs[i + 1].raw);
                ++i;
            }
            continue;
        }
        out += ' ' + qvsim::describeField(f);
    }
    if (fs.empty() || !d.error.empty()) out += " hex=" + (d.hex.empty() ? std::string("-") : d.hex);
    if (!d.error.empty()) out += " DECODE ERROR: " + d.error;
    for (const std::string &e : m.errors) out += " FRAMING ERROR: " + e;
    return out;
}

void TextOutput::line(const Stamp &s, const std::string &text) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%3d %9.2f  ", s.map, static_cast<double>(s.time));
    out_ << stamp << text << '\n';
}

void TextOutput::flushFolded() {
    if (pendingHold_) {
        line(pendingHold_->first, std::string("HOLD  ") + pendingHold_->second.kind->name);
        pendingHold_.reset();
    }
    if (folded_ > 0) {
        line(lastFolded_, "      ... held " + std::to_string(folded_) + " more frame" + (folded_ == 1 ? "" : "s") +
                              " through " + seconds(lastFolded_.time) + ", each setting " + heldName_ +
                              " to the value it already had");
    }
    folded_ = 0;
    streak_ = false;
}

void TextOutput::runStart(const RunInfo &info) {
    if (quiet_) return;
    const Options &o = *info.options;
    out_ << "quorvex-sim " << QV_VERSION << ": module " << info.plugin << '\n';
    out_ << "  " << o.maxClients << " slots: clients " << ranges(info.clients) << ", admins " << ranges(o.admins)
         << ", non-clients " << ranges(o.nonClients) << "; seed " << o.seed << ", " << o.fps << " fps, "
         << info.maps << (info.maps == 1 ? " map of " : " maps of ") << qvsim::shortNumber(o.mapMinutes) << " min; tag "
         << qvsim::quoted(o.tag) << "; " << (info.scenario.empty() ? std::string("default scenario") : "scenario " + info.scenario)
         << '\n';
    out_ << "map      time  what\n";
}

void TextOutput::mapStart(const Stamp &s) {
    if (quiet_) return;
    flushFolded();
    line(s, "MAP " + std::to_string(s.map) + " starts (plgMapInit)");
}

void TextOutput::input(const Stamp &s, const Action &a) {
    if (quiet_) return;
    flushFolded();
    std::string what = "> ";
    switch (a.verb) {
    case Verb::Say:
    case Verb::SayTeam:
    case Verb::Cmd:
        what += "slot " + std::to_string(a.slot) + " sends " + argvText(a.argv);
        break;
    case Verb::Map:
        what += "map change";
        break;
    case Verb::Cvar:
        what += "server sets " + a.name + " to " + floatText(a.value);
        break;
    case Verb::Connect:
        what += "slot " + std::to_string(a.slot) + " connects";
        break;
    case Verb::Disconnect:
        what += "slot " + std::to_string(a.slot) + " disconnects";
        break;
    case Verb::Access:
        what += "slot " + std::to_string(a.slot) + (a.on ? " gets access" : " loses access");
        break;
    }
    if (a.line > 0) what += "  [line " + std::to_string(a.line) + "]";
    line(s, what);
}

void TextOutput::event(const Stamp &s, const EventNote &n) {
    if (quiet_) return;
    if (n.phase == Phase::Hold) {
        if (pendingHold_) flushFolded();
        pendingHold_ = std::make_pair(s, n);
        return;
    }
    flushFolded();
    std::string what;
    switch (n.phase) {
    case Phase::Start:
        what = std::string("START ") + n.kind->name + (n.forced ? " (forced by a client command)" : "");
        break;
    case Phase::End:
        what = std::string("END   ") + n.kind->name + " after " + qvsim::shortNumber(s.time - n.startTime) + " s" +
               (n.silent ? " (no announcement)" : "");
        break;
    case Phase::Dropped:
        what = std::string("DROP  ") + n.kind->name + ": the map changed while it ran; its end action never runs";
        break;
    case Phase::Unfinished:
        what = std::string("OPEN  ") + n.kind->name + " still runs as the run ends";
        break;
    case Phase::Hold:
        break;
    }
    line(s, what);
}

void TextOutput::effect(const Stamp &s, const EffectNote &n) {
    if (quiet_) return;
    if (n.kind == qvsim::Effect::Cvar && pendingHold_ && n.cvar->name == pendingHold_->second.kind->heldVariable) {
        const bool unchanged = n.cvar->value == n.previous;
        if (unchanged && streak_) {
            pendingHold_.reset();
            ++folded_;
            lastFolded_ = s;
            return;
        }
        const auto hold = *pendingHold_;
        pendingHold_.reset();
        flushFolded();
        line(hold.first, std::string("HOLD  ") + hold.second.kind->name);
        line(s, "  cvar " + n.cvar->name + " = " + floatText(n.cvar->value) + " (was " + floatText(n.previous) + ")");
        streak_ = true;
        heldName_ = n.cvar->name;
        return;
    }
    flushFolded();
    switch (n.kind) {
    case qvsim::Effect::MessageSent:
        line(s, "  " + describeMessage(*n.message, *n.decoded));
        break;
    case qvsim::Effect::Chat:
        line(s, "  chat to slot " + std::to_string(n.chat->slot) + ": " + qvsim::quoted(n.chat->text));
        break;
    case qvsim::Effect::Item:
        line(s, "  item to slot " + std::to_string(n.item->slot) + ": " + n.item->className);
        break;
    case qvsim::Effect::Command:
        line(s, "  console: " + qvsim::quoted(n.command->line));
        break;
    case qvsim::Effect::Cvar:
        line(s, "  cvar " + n.cvar->name + " = " + floatText(n.cvar->value) + " (was " + floatText(n.previous) + ")");
        break;
    case qvsim::Effect::Framing:
        line(s, "  FRAMING ERROR: " + n.framing->what);
        break;
    }
}

void TextOutput::finish(const RunEnd &) {
    if (!quiet_) {
        flushFolded();
        out_ << '\n';
    }
    out_ << summaryText(tally_);
    out_.flush();
}

}  // namespace qvcli
