// numbers.cpp: the plain-decimal reader shared by options and scenario files.
#include "numbers.h"

#include <cmath>
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

}  // namespace qvcli
