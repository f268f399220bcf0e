// jsonl_output.cpp: writes each input, event and effect of a run as one JSON object a line.
#include "jsonl_output.h"

#include <charconv>
#include <cstdio>

namespace qvcli {

namespace {

// Shortest text that reads back as the same float or double.
template <typename T>
std::string num(T v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string intList(const std::vector<int> &v) {
    std::string out = "[";
    for (std::size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + std::to_string(v[i]);
    return out + ']';
}

std::string strList(const std::vector<std::string> &v) {
    std::string out = "[";
    for (std::size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + jsonString(v[i]);
    return out + ']';
}

// The opening of every timeline object.
std::string head(const char *type, const Stamp &s) {
    return std::string("{\"type\":\"") + type + "\",\"map\":" + std::to_string(s.map) + ",\"time\":" + num(s.time) +
           ",\"call\":\"" + callName(s.call) + '"';
}

}  // namespace

std::string jsonString(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + '"';
}

void JsonlOutput::runStart(const RunInfo &info) {
    if (quiet_) return;
    const Options &o = *info.options;
    out_ << "{\"type\":\"run\",\"version\":\"" << QV_VERSION << "\",\"plugin\":" << jsonString(info.plugin)
         << ",\"seed\":" << o.seed << ",\"fps\":" << o.fps << ",\"maxClients\":" << o.maxClients
         << ",\"clients\":" << intList(info.clients) << ",\"admins\":" << intList(o.admins)
         << ",\"nonClients\":" << intList(o.nonClients) << ",\"tag\":" << jsonString(o.tag)
         << ",\"maps\":" << info.maps << ",\"mapSeconds\":" << num(info.mapSeconds)
         << ",\"scenario\":" << (info.scenario.empty() ? std::string("null") : jsonString(info.scenario)) << "}\n";
}

void JsonlOutput::mapStart(const Stamp &s) {
    if (quiet_) return;
    out_ << head("map", s) << "}\n";
}

void JsonlOutput::input(const Stamp &s, const Action &a) {
    if (quiet_) return;
    out_ << head("input", s) << ",\"action\":\"" << verbName(a.verb) << "\",\"line\":" << a.line;
    switch (a.verb) {
    case Verb::Say:
    case Verb::SayTeam:
    case Verb::Cmd:
        out_ << ",\"slot\":" << a.slot << ",\"argv\":" << strList(a.argv);
        break;
    case Verb::Cvar:
        out_ << ",\"name\":" << jsonString(a.name) << ",\"value\":" << num(a.value);
        break;
    case Verb::Access:
        out_ << ",\"slot\":" << a.slot << ",\"on\":" << (a.on ? "true" : "false");
        break;
    case Verb::Connect:
    case Verb::Disconnect:
        out_ << ",\"slot\":" << a.slot;
        break;
    case Verb::Map:
        break;
    }
    out_ << "}\n";
}

void JsonlOutput::event(const Stamp &s, const EventNote &n) {
    if (quiet_) return;
    out_ << head("event", s) << ",\"phase\":\"" << phaseName(n.phase) << "\",\"event\":" << n.kind->number
         << ",\"name\":" << jsonString(n.kind->name) << ",\"forced\":" << (n.forced ? "true" : "false")
         << ",\"startTime\":" << num(n.startTime) << ",\"silent\":" << (n.silent ? "true" : "false") << "}\n";
}

void JsonlOutput::effect(const Stamp &s, const EffectNote &n) {
    if (quiet_) return;
    switch (n.kind) {
    case qvsim::Effect::MessageSent: {
        const qvsim::Message &m = *n.message;
        const qvsim::Decoded &d = *n.decoded;
        out_ << head("message", s) << ",\"dest\":" << m.dest << ",\"destName\":\"" << destinationName(m.dest)
             << "\",\"msgType\":" << m.type << ",\"entity\":" << m.entity << ",\"kind\":" << jsonString(d.kind)
             << ",\"bytes\":" << m.payload.size() << ",\"hex\":\"" << d.hex << "\",\"fields\":{";
        for (std::size_t i = 0; i < d.fields.size(); ++i) {
            const qvsim::Field &f = d.fields[i];
            out_ << (i ? "," : "") << jsonString(f.name) << ':';
            if (f.isText)
                out_ << jsonString(f.text);
            else
                out_ << "{\"raw\":" << f.raw << ",\"value\":" << num(f.value) << ",\"unit\":" << jsonString(f.unit)
                     << '}';
        }
        out_ << "},\"errors\":" << strList(m.errors);
        if (!d.error.empty()) out_ << ",\"decodeError\":" << jsonString(d.error);
        out_ << "}\n";
        break;
    }
    case qvsim::Effect::Chat:
        out_ << head("chat", s) << ",\"slot\":" << n.chat->slot << ",\"where\":" << n.chat->where
             << ",\"text\":" << jsonString(n.chat->text) << "}\n";
        break;
    case qvsim::Effect::Item:
        out_ << head("item", s) << ",\"slot\":" << n.item->slot << ",\"item\":" << jsonString(n.item->className)
             << "}\n";
        break;
    case qvsim::Effect::Command:
        out_ << head("command", s) << ",\"line\":" << jsonString(n.command->line) << "}\n";
        break;
    case qvsim::Effect::Cvar:
        out_ << head("cvar", s) << ",\"name\":" << jsonString(n.cvar->name) << ",\"value\":" << num(n.cvar->value)
             << ",\"previous\":" << num(n.previous) << "}\n";
        break;
    case qvsim::Effect::Framing:
        out_ << head("framing", s) << ",\"what\":" << jsonString(n.framing->what) << "}\n";
        break;
    }
}

void JsonlOutput::finish(const RunEnd &end) {
    std::string lengths = "[";
    for (std::size_t i = 0; i < end.mapLengths.size(); ++i) lengths += (i ? "," : "") + num(end.mapLengths[i]);
    lengths += ']';
    out_ << "{\"type\":\"summary\",\"maps\":" << end.mapLengths.size() << ",\"mapLengths\":" << lengths
         << ",\"frames\":" << end.frames << ",\"events\":{";
    bool first = true;
    for (const EventKind &k : qvsim::randomEvents()) {
        const Tally::PerKind &c = tally_.events()[static_cast<std::size_t>(k.number)];
        out_ << (first ? "" : ",") << jsonString(k.name) << ":{\"event\":" << k.number << ",\"random\":" << c.random
             << ",\"forced\":" << c.forced << ",\"dropped\":" << c.dropped << '}';
        first = false;
    }
    out_ << "},\"messages\":{";
    first = true;
    for (const auto &[kind, m] : tally_.messages()) {
        out_ << (first ? "" : ",") << jsonString(kind) << ":{\"count\":" << m.count << ",\"bytes\":" << m.bytes << '}';
        first = false;
    }
    out_ << "},\"chatLines\":" << tally_.chatLines() << ",\"items\":" << tally_.items()
         << ",\"commands\":" << tally_.commands() << ",\"cvarSets\":" << tally_.cvarSets() << ",\"cvars\":{";
    first = true;
    for (const auto &[name, value] : end.cvars) {
        out_ << (first ? "" : ",") << jsonString(name) << ':' << num(value);
        first = false;
    }
    out_ << "},\"framingErrors\":" << end.framingErrors << ",\"strayCalls\":" << end.strayCalls << "}\n";
    out_.flush();
}

}  // namespace qvcli
