#include "sim/protocol.h"

namespace sim {

const char* OrderName(int code) {
  switch (code) {
    case kOrderWriteRam:
      return "write-ram";
    case kOrderReadRam:
      return "read-ram";
    case kOrderWriteEeprom:
      return "write-eeprom";
    case kOrderReadEeprom:
      return "read-eeprom";
    case kOrderEchoCheck:
      return "echo-check";
    case kOrderTeach:
      return "teach";
    case kOrderFirmwareInfo:
      return "firmware-info";
    case kOrderMeasure:
      return "measure";
    case kOrderData64:
      return "data64";
    case kOrderCcdInfo:
      return "ccd-info";
    default:
      return "unknown";
  }
}

void PutWord(std::vector<uint8_t>* out, uint16_t word) {
  out->push_back(static_cast<uint8_t>(word >> 8));
  out->push_back(static_cast<uint8_t>(word & 0xFF));
}

std::vector<uint8_t> EncodeFrame(uint16_t sync, uint16_t echo, const Words& words) {
  std::vector<uint8_t> out;
  out.reserve(kFrameBytes);
  PutWord(&out, sync);
  PutWord(&out, echo);
  for (uint16_t w : words) PutWord(&out, w);
  return out;
}

std::vector<uint8_t> EncodeRequest(int order, const Words& words) {
  return EncodeFrame(kRequestSync, static_cast<uint16_t>(order), words);
}

std::vector<uint8_t> EncodeFirmwareText(const std::string& text) {
  std::vector<uint8_t> out(kFirmwareBytes, 0);
  const size_t n = text.size() < kFirmwareChars ? text.size() : kFirmwareChars;
  // Character i lands in byte i: word i/2 carries characters 2(i/2) (high
  // byte) and 2(i/2)+1 (low byte), which is exactly the byte order.
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(text[i]);
  return out;
}

std::vector<uint8_t> EncodeRawWords(const uint16_t* words, size_t count) {
  std::vector<uint8_t> out;
  out.reserve(2 * count);
  for (size_t i = 0; i < count; ++i) PutWord(&out, words[i]);
  return out;
}

}  // namespace sim
