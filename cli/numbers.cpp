// numbers.cpp: numbers as the CLI reads and shows them: decimals and server values in, m:ss out.
#include "numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qvcli {

bool plainDecimal(const std::string &text, double &out) {
    bool digits = false, dot = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !dot)
            dot = true;
        else
            return false;
    }
    if (!digits) return false;
    out = std::strtod(text.c_str(), nullptr);
    return std::isfinite(out);
}

bool serverFloat(const std::string &text, float &out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(v) || std::fabs(v) > 3.0e38) return false;
    out = static_cast<float>(v);
    return true;
}

std::string minutesSeconds(double seconds) {
    const long long s = std::llround(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    return buf;
}

}  // namespace qvcli
