// Numbers as text with '.' as the decimal point whatever the process locale
// (a Qt program runs under the operator's locale): std::to_chars.
#pragma once

#include <string>

namespace watch {

// `value` with exactly `digits` decimals ("19.80"); "0" forms for non-finite.
std::string FixedDecimal(double value, int digits);

}  // namespace watch
