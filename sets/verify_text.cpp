#include "sets/verify_text.h"

#include "fields/words.h"

namespace sets {

std::string VerifyText(const char* store, const std::array<uint16_t, 16>& sent,
                       const std::array<uint16_t, 16>& held) {
  constexpr int kNamed = 2;  // the status line has room for two in full
  std::string text = std::string(store) + " holds";
  int differing = 0;
  for (size_t i = 0; i < sent.size(); ++i) {
    if (sent[i] == held[i]) continue;
    if (differing < kNamed) {
      text += std::string(differing == 0 ? " " : "; ") + fields::kParameters[i].name + " " +
              std::to_string(held[i]) + ", sent " + std::to_string(sent[i]);
    }
    ++differing;
  }
  if (differing == 0) return std::string(store) + " holds the 16 parameters sent";
  if (differing > kNamed)
    text += "; and " + std::to_string(differing - kNamed) + " more (see Compare)";
  return text;
}

}  // namespace sets
