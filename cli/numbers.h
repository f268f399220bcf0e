// numbers.h: numbers as the CLI reads and shows them: decimals and server values in, m:ss out.
#ifndef QVCLI_NUMBERS_H
#define QVCLI_NUMBERS_H

#include <string>

namespace qvcli {

// A plain decimal such as 30, 0.5 or 2.25: no sign, exponent, hex or inf.
bool plainDecimal(const std::string &text, double &out);

// A server variable's value: strtod's syntax, finite, within float range,
// nothing left over.
bool serverFloat(const std::string &text, float &out);

// Seconds as minutes and seconds, rounded to the nearest second: 90.4 is "1:30".
std::string minutesSeconds(double seconds);

}  // namespace qvcli

#endif
