#include "ports/probe_frames.h"

#include <string_view>

#include "fields/latin1.h"
#include "monitor/frame_decode.h"

namespace ports {

namespace {
using monitor::kReplySync;
using monitor::kRequestSync;

void PutWord(std::vector<uint8_t>* bytes, unsigned word) {
  bytes->push_back(static_cast<uint8_t>((word >> 8) & 0xFF));
  bytes->push_back(static_cast<uint8_t>(word & 0xFF));
}
}  // namespace

std::vector<uint8_t> RequestFrame(int order, const std::array<uint16_t, 16>& words) {
  std::vector<uint8_t> frame;
  frame.reserve(36);
  PutWord(&frame, kRequestSync);
  PutWord(&frame, static_cast<unsigned>(order));
  for (const uint16_t word : words) PutWord(&frame, word);
  return frame;
}

int ReplyLength(int order) {
  return monitor::ExpectedReplyLength(order);
}

double ReplyLimitMs(int order) {
  return monitor::ReplyLimitMs(order);
}

LineCheck JudgeLineCheck(const std::vector<uint8_t>& reply) {
  if (reply.size() < static_cast<size_t>(ReplyLength(kLineCheckOrder)))
    return LineCheck::kIncomplete;
  const int sync = reply[0] * 256 + reply[1];
  return sync == kReplySync ? LineCheck::kSensor : LineCheck::kWrongSync;
}

std::optional<std::string> FirmwareText(const std::vector<uint8_t>& reply) {
  const size_t length = static_cast<size_t>(ReplyLength(kFirmwareOrder));
  if (reply.size() < length) return std::nullopt;
  size_t end = 0;
  for (; end < length && reply[end] != 0; ++end) {
    if (reply[end] < 0x20 || reply[end] == 0x7F) return std::nullopt;
  }
  for (size_t i = end; i < length; ++i) {
    if (reply[i] != 0) return std::nullopt;  // text again after the padding
  }
  return fields::Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(reply.data()), end));
}

}  // namespace ports
