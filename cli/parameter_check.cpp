#include "cli/parameter_check.h"

#include "protocol/parameter_ranges.h"

namespace cli {

int FirstRefused(const uint32_t* values, uint16_t pixelLimit) {
  for (int i = 0; i < protocol::kParameterCount; ++i) {
    // Above 65535 no word holds it; below, the table says.
    if (values[i] > 0xFFFF || !protocol::Accepted(i, static_cast<uint16_t>(values[i]), pixelLimit))
      return i;
  }
  return -1;
}

std::string RefusedText(int index, uint32_t value, uint16_t pixelLimit) {
  const protocol::ParameterWord& word = protocol::kParameterWords[index];
  return std::string(word.name) + " " + std::to_string(value) + " is outside " +
         std::to_string(protocol::LowestAccepted(index)) + ".." +
         std::to_string(protocol::HighestAccepted(index, pixelLimit)) + " (" + word.label + ")";
}

}  // namespace cli
