#include "sim/protocol.h"

namespace sim {

std::vector<uint8_t> EncodeFirmwareText(const std::string& text) {
  std::vector<uint8_t> out(kFirmwareBytes, 0);
  const size_t n = text.size() < kFirmwareChars ? text.size() : kFirmwareChars;
  // Character i lands in byte i: word i/2 carries characters 2(i/2) (high
  // byte) and 2(i/2)+1 (low byte), which is exactly the byte order.
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(text[i]);
  return out;
}

std::vector<uint8_t> EncodeRawWords(const uint16_t* words, size_t count) {
  std::vector<uint8_t> out(2 * count);
  for (size_t i = 0; i < count; ++i) protocol::PutWord(&out[2 * i], words[i]);
  return out;
}

}  // namespace sim
