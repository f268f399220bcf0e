// numbers.h: the plain-decimal reader shared by options and scenario files.
#ifndef QVCLI_NUMBERS_H
#define QVCLI_NUMBERS_H

#include <string>

namespace qvcli {

// A plain decimal such as 30, 0.5 or 2.25: no sign, exponent, hex or inf.
bool plainDecimal(const std::string &text, double &out);

}  // namespace qvcli

#endif
