#include "protocol/parameter_ranges.h"

#include <algorithm>

namespace protocol {
namespace {
// A line the sensor did not report usably is taken as the longer one.
uint16_t UsableLimit(uint16_t pixelLimit) {
  return pixelLimit >= 1 && pixelLimit <= kLongestLine ? pixelLimit : kLongestLine;
}
}  // namespace

uint16_t LowestAccepted(int index) {
  return kParameterWords[index].low;
}

uint16_t HighestAccepted(int index, uint16_t pixelLimit) {
  const ParameterWord& word = kParameterWords[index];
  return word.pixelPosition ? UsableLimit(pixelLimit) : word.high;
}

bool Accepted(int index, uint16_t value, uint16_t pixelLimit) {
  return value >= LowestAccepted(index) && value <= HighestAccepted(index, pixelLimit);
}

uint16_t Replacement(int index, uint16_t value, uint16_t pixelLimit) {
  if (Accepted(index, value, pixelLimit)) return value;
  const ParameterWord& word = kParameterWords[index];
  const uint16_t high = HighestAccepted(index, pixelLimit);
  if (word.clamped) return value < word.low ? word.low : high;
  return std::min(word.replacement, high);
}

std::string OutOfRangeText(const uint16_t* words, uint16_t pixelLimit) {
  std::string text;
  for (int i = 0; i < kParameterCount; ++i) {
    if (Accepted(i, words[i], pixelLimit)) continue;
    if (!text.empty()) text += ", ";
    text += std::string(kParameterWords[i].label) + " " + std::to_string(words[i]) + " (" +
            std::to_string(LowestAccepted(i)) + ".." +
            std::to_string(HighestAccepted(i, pixelLimit)) + ")";
  }
  return text;
}

bool WindowRunsForward(uint16_t from, uint16_t to) {
  return from <= to;
}

std::string ChangesText(const uint16_t* before, const uint16_t* after) {
  std::string text;
  for (int i = 0; i < kParameterCount; ++i) {
    if (before[i] == after[i]) continue;
    text += std::string(kParameterWords[i].label) + ": " + std::to_string(before[i]) + " -> " +
            std::to_string(after[i]) + "\n";
  }
  return text;
}

std::string ValuesText(const uint16_t* words) {
  std::string text;
  for (int i = 0; i < kParameterCount; ++i)
    text += std::string(kParameterWords[i].label) + ": " + std::to_string(words[i]) + "\n";
  return text;
}

}  // namespace protocol
