// The sensor's order codes: their names, and for each order the reply it
// awaits (kind, length) and how long its sender waits for it. Pure.
#pragma once

#include <cstdint>
#include <string>

#include "protocol/frame.h"

namespace protocol {

// The order codes as the request frame carries them.
enum Order : uint16_t {
  kWriteRam = 1,      // package to RAM; no reply
  kReadRam = 2,       // RAM parameter set back
  kWriteEeprom = 3,   // package to EEPROM; no reply
  kReadEeprom = 4,    // EEPROM parameter set back
  kEchoCheck = 5,     // line check
  kTeach = 6,         // set-point or background teach
  kFirmwareInfo = 7,  // firmware text, raw
  kMeasure = 8,       // measurement words
  kData64 = 9,        // one block of 64 video words, raw
  kCcdInfo = 10,      // CCD type, pixel count, resolution
};
constexpr int kFirstOrder = kWriteRam;
constexpr int kLastOrder = kCcdInfo;

constexpr bool IsOrder(int code) {
  return code >= kFirstOrder && code <= kLastOrder;
}

// What answers an order.
enum class ReplyKind {
  kNone,          // the two writes: nothing
  kFrame,         // a 36-byte frame
  kFirmwareText,  // 72 raw bytes
  kVideoBlock,    // 128 raw bytes
};

constexpr int kFirmwareReplyLength = 72;  // 36 words, two characters each
constexpr int kVideoBlockWords = 64;
constexpr int kVideoBlockLength = 2 * kVideoBlockWords;  // 128 bytes

constexpr double kReplyLimit = 1.5;          // seconds a sender waits for a reply
constexpr double kFirmwareReplyLimit = 2.0;  // seconds for the firmware text

// A code outside 1..10 is taken as awaiting a frame, as the sensor would
// answer it if at all.
constexpr ReplyKind ReplyKindOf(int order) {
  switch (order) {
    case kWriteRam:
    case kWriteEeprom:
      return ReplyKind::kNone;
    case kFirmwareInfo:
      return ReplyKind::kFirmwareText;
    case kData64:
      return ReplyKind::kVideoBlock;
    default:
      return ReplyKind::kFrame;
  }
}

// Bytes of the reply `order` awaits: 0, 36, 72 or 128.
constexpr int ReplyLength(int order) {
  switch (ReplyKindOf(order)) {
    case ReplyKind::kNone:
      return 0;
    case ReplyKind::kFirmwareText:
      return kFirmwareReplyLength;
    case ReplyKind::kVideoBlock:
      return kVideoBlockLength;
    case ReplyKind::kFrame:
      break;
  }
  return kFrameLength;
}

// Seconds the sender of `order` waits for its reply (strictly more is a
// time-out); 0 for the orders awaiting none.
constexpr double ReplyLimit(int order) {
  if (ReplyKindOf(order) == ReplyKind::kNone) return 0.0;
  return order == kFirmwareInfo ? kFirmwareReplyLimit : kReplyLimit;
}

// The order's name in the operator's words: "Write RAM", "Read RAM", "Write
// EEPROM", "Read EEPROM", "Echo check", "Teach", "Firmware info", "Measure",
// "Data block", "CCD info"; "Order <n>" for any other code.
std::string OrderName(int order);
// One lower-case word for logs: "write-ram", "read-ram", "write-eeprom",
// "read-eeprom", "echo-check", "teach", "firmware-info", "measure", "data64",
// "ccd-info"; "unknown" for any other code.
const char* OrderTag(int order);

}  // namespace protocol
