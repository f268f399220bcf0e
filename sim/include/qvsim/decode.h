// decode.h: turns a recorded message back into named fields.
#ifndef QVSIM_DECODE_H
#define QVSIM_DECODE_H

#include <string>
#include <vector>

#include "qvsim/sim_host.h"

namespace qvsim {

struct Field {
    std::string name;   // e.g. "x", "holdTime", "text"
    long raw = 0;       // the integer as sent (unused for text)
    double value = 0;   // raw divided by the client's scale (== raw when unscaled)
    std::string unit;   // "s", "screen", "" ...
    std::string text;   // for string fields
    bool isText = false;
};

struct Decoded {
    std::string kind;   // "TE_TEXTMESSAGE", "TE_BEAMFOLLOW", "TE_KILLBEAM",
                        // "ScreenShake", "ScreenFade", or "SVC_TEMPENTITY"/"user:<name>"/"svc:<n>"
    std::vector<Field> fields;
    std::string hex;    // the whole payload, two lower-case digits a byte
    std::string error;  // non-empty if the payload does not parse as its kind
};

// `host` names the user message ids.
Decoded decode(const Message &m, const SimHost &host);
std::string toHex(const std::vector<std::uint8_t> &bytes);
// Text in double quotes, with ", \ and newlines escaped and other control or
// non-ASCII bytes as \xNN.
std::string quoted(const std::string &text);
// Up to four decimals without trailing zeros: 0.6, 15.9998, 2.
std::string shortNumber(double v);
// One field: name=raw, then the scaled value and unit when they differ
// from it, e.g. holdTime=2048 (0.5 s); a text field quoted.
std::string describeField(const Field &f);
// One line: the kind and every field, e.g. ScreenShake amplitude=65535
// (15.9998) duration=65535 (15.9998 s) frequency=25600 (100).
std::string describe(const Decoded &d);

}  // namespace qvsim

#endif
