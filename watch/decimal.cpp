#include "watch/decimal.h"

#include <charconv>
#include <cmath>

namespace watch {

std::string FixedDecimal(double value, int digits) {
  if (!std::isfinite(value)) value = 0.0;
  char text[64];
  const std::to_chars_result result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
  if (result.ec != std::errc()) return "0";
  return std::string(text, result.ptr);
}

}  // namespace watch
