// decode.cpp: recorded messages read back into client-scaled fields, and their one-line description.
#include "qvsim/decode.h"

#include <cstdio>
#include <string>

namespace qvsim {

namespace {

enum class Wire { Byte, UShort, SShort, String };

// One field as the client reads it: raw / scale, shown with unit.
struct FieldLayout {
    const char *name;
    Wire wire;
    double scale;
    const char *unit;
    bool onlyIfEffect2;  // the text message's fxtime
};

struct Layout {
    const char *kind;
    std::vector<FieldLayout> fields;
};

const Layout textMessage{"TE_TEXTMESSAGE",
                         {{"channel", Wire::Byte, 1, "", false},
                          {"x", Wire::SShort, 8192, "screen", false},
                          {"y", Wire::SShort, 8192, "screen", false},
                          {"effect", Wire::Byte, 1, "", false},
                          {"r1", Wire::Byte, 1, "", false},
                          {"g1", Wire::Byte, 1, "", false},
                          {"b1", Wire::Byte, 1, "", false},
                          {"a1", Wire::Byte, 1, "", false},
                          {"r2", Wire::Byte, 1, "", false},
                          {"g2", Wire::Byte, 1, "", false},
                          {"b2", Wire::Byte, 1, "", false},
                          {"a2", Wire::Byte, 1, "", false},
                          {"fadein", Wire::UShort, 256, "s", false},
                          {"fadeout", Wire::UShort, 256, "s", false},
                          {"hold", Wire::UShort, 256, "s", false},
                          {"fxtime", Wire::UShort, 256, "s", true},
                          {"text", Wire::String, 1, "", false}}};

// Clients use the beam width byte as it comes; the life is in tenths.
const Layout beamFollow{"TE_BEAMFOLLOW",
                        {{"entity", Wire::SShort, 1, "", false},
                         {"sprite", Wire::SShort, 1, "", false},
                         {"life", Wire::Byte, 10, "s", false},
                         {"width", Wire::Byte, 1, "", false},
                         {"r", Wire::Byte, 1, "", false},
                         {"g", Wire::Byte, 1, "", false},
                         {"b", Wire::Byte, 1, "", false},
                         {"brightness", Wire::Byte, 1, "", false}}};

const Layout killBeam{"TE_KILLBEAM", {{"entity", Wire::SShort, 1, "", false}}};

const Layout screenShake{"ScreenShake",
                         {{"amplitude", Wire::UShort, 4096, "", false},
                          {"duration", Wire::UShort, 4096, "s", false},
                          {"frequency", Wire::UShort, 256, "", false}}};

const Layout screenFade{"ScreenFade",
                        {{"duration", Wire::UShort, 4096, "s", false},
                         {"holdTime", Wire::UShort, 4096, "s", false},
                         {"flags", Wire::SShort, 1, "", false},
                         {"r", Wire::Byte, 1, "", false},
                         {"g", Wire::Byte, 1, "", false},
                         {"b", Wire::Byte, 1, "", false},
                         {"a", Wire::Byte, 1, "", false}}};

struct TempEntityLayout {
    int id;
    const Layout *layout;
};

constexpr TempEntityLayout tempEntities[] = {
    {TE_TEXTMESSAGE, &textMessage},
    {TE_BEAMFOLLOW, &beamFollow},
    {TE_KILLBEAM, &killBeam},
};

struct UserLayout {
    const char *name;
    const Layout *layout;
};

const UserLayout userLayouts[] = {
    {"ScreenShake", &screenShake},
    {"ScreenFade", &screenFade},
};

std::size_t wireBytes(Wire w) { return w == Wire::Byte ? 1 : 2; }

// Reads `layout` from payload[pos...]; fills d.fields, or d.error.
void readLayout(const Layout &layout, const std::vector<std::uint8_t> &p, std::size_t pos, Decoded &d) {
    long effect = -1;
    for (const FieldLayout &field : layout.fields) {
        if (field.onlyIfEffect2 && effect != 2) continue;
        Field f;
        f.name = field.name;
        f.unit = field.unit;
        if (field.wire == Wire::String) {
            std::size_t end = pos;
            while (end < p.size() && p[end] != 0) ++end;
            if (end == p.size()) {
                d.error = "truncated: field " + f.name + " has no terminating NUL";
                return;
            }
            f.text.assign(p.begin() + static_cast<long>(pos), p.begin() + static_cast<long>(end));
            f.isText = true;
            pos = end + 1;
        } else {
            const std::size_t need = wireBytes(field.wire);
            if (p.size() - pos < need) {
                d.error = "truncated: field " + f.name + " needs " + std::to_string(need) + " bytes at offset " +
                          std::to_string(pos) + " of " + std::to_string(p.size());
                return;
            }
            if (field.wire == Wire::Byte) {
                f.raw = p[pos];
            } else {
                const unsigned word = p[pos] | (unsigned{p[pos + 1]} << 8);
                f.raw = field.wire == Wire::SShort ? static_cast<std::int16_t>(word) : static_cast<long>(word);
            }
            f.value = static_cast<double>(f.raw) / field.scale;
            pos += need;
        }
        if (f.name == "effect") effect = f.raw;
        d.fields.push_back(std::move(f));
    }
    if (pos != p.size()) d.error = "over-long: " + std::to_string(p.size() - pos) + " bytes past the last field";
}

const Layout *layoutFor(const Message &m, const SimHost &host, Decoded &d, std::size_t &start) {
    start = 0;
    if (m.type == SVC_TEMPENTITY) {
        d.kind = "SVC_TEMPENTITY";
        if (m.payload.empty()) {
            d.error = "truncated: no temporary entity kind";
            return nullptr;
        }
        start = 1;
        for (const TempEntityLayout &t : tempEntities)
            if (t.id == m.payload[0]) return t.layout;
        return nullptr;
    }
    if (auto name = host.userMsgName(m.type)) {
        d.kind = "user:" + *name;
        for (const UserLayout &u : userLayouts)
            if (*name == u.name) return u.layout;
        return nullptr;
    }
    d.kind = "svc:" + std::to_string(m.type);
    return nullptr;
}



}  // namespace

std::string toHex(const std::vector<std::uint8_t> &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0xf];
    }
    return out;
}

Decoded decode(const Message &m, const SimHost &host) {
    Decoded d;
    d.hex = toHex(m.payload);
    std::size_t start = 0;
    if (const Layout *layout = layoutFor(m, host, d, start)) {
        d.kind = layout->kind;
        readLayout(*layout, m.payload, start, d);
    }
    return d;
}

std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string shortNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

std::string describeField(const Field &f) {
    if (f.isText) return f.name + '=' + quoted(f.text);
    std::string s = f.name + '=' + std::to_string(f.raw);
    if (f.unit.empty() && f.value == static_cast<double>(f.raw)) return s;
    s += " (" + shortNumber(f.value);
    if (!f.unit.empty()) s += ' ' + f.unit;
    return s + ')';
}

std::string describe(const Decoded &d) {
    std::string line = d.kind;
    for (const Field &f : d.fields) line += ' ' + describeField(f);
    if (d.fields.empty() || !d.error.empty()) line += " hex=" + (d.hex.empty() ? std::string("-") : d.hex);
    if (!d.error.empty()) line += " error=\"" + d.error + '"';
    return line;
}

}  // namespace qvsim
