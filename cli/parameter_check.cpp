#include "cli/parameter_check.h"

namespace cli {

// Until the one range table of the sensor's words is in: a value the 16 bits
// of a word cannot hold is refused, never cut to its low 16 bits.
int FirstRefused(const uint32_t* values, uint16_t /*pixelLimit*/) {
  for (int i = 0; i < 16; ++i) {
    if (values[i] > 0xFFFF) return i;
  }
  return -1;
}

std::string RefusedText(int index, uint32_t value, uint16_t /*pixelLimit*/) {
  return "word " + std::to_string(index) + " " + std::to_string(value) + " is above 65535";
}

}  // namespace cli
