#include "sets/verify_text.h"

#include <vector>

#include "protocol/parameter_ranges.h"

namespace sets {

std::string VerifyText(const char* store, const std::array<uint16_t, 16>& sent,
                       const std::array<uint16_t, 16>& held, uint16_t pixelLimit) {
  std::vector<std::string> differences;
  for (size_t i = 0; i < sent.size(); ++i) {
    if (sent[i] == held[i]) continue;
    const int index = static_cast<int>(i);
    std::string item =
        std::string(protocol::kParameterWords[i].label) + " " + std::to_string(held[i]);
    if (!protocol::Accepted(index, held[i], pixelLimit))
      item += " (outside " + std::to_string(protocol::LowestAccepted(index)) + ".." +
              std::to_string(protocol::HighestAccepted(index, pixelLimit)) + ")";
    differences.push_back(item + ", sent " + std::to_string(sent[i]));
  }
  if (differences.empty()) return std::string(store) + " holds the 16 parameters sent";

  std::string text = std::string(store) + " holds " + differences[0];
  size_t named = 1;
  for (; named < differences.size(); ++named) {
    const size_t left = differences.size() - named - 1;
    const size_t tail = left == 0 ? 0 : std::string("; and  more (see Compare)").size() + 2;
    if (text.size() + 2 + differences[named].size() + tail > kVerifyTextMax) break;
    text += "; " + differences[named];
  }
  if (named < differences.size())
    text += "; and " + std::to_string(differences.size() - named) + " more (see Compare)";
  return text;
}

}  // namespace sets
