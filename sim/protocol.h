// The sensor's side of the serial protocol, under the simulator's names: the
// frame sizes, the sync words, the order codes and the byte-level encoding
// are protocol/'s; the firmware text and the raw words of a reply are built
// here.
//
// Orders 2, 4, 5, 6, 8 and 10 are answered with a 36-byte frame (reply sync,
// the order echo, 16 words); order 7 with 72 raw bytes of firmware text, order
// 9 with 128 raw bytes of video; orders 1 and 3 get no reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/frame.h"
#include "protocol/orders.h"

namespace sim {

// The 16 words of a request or of a 36-byte reply.
using Words = protocol::Words;

constexpr size_t kFrameBytes = protocol::kFrameLength;
constexpr size_t kFirmwareBytes = protocol::kFirmwareReplyLength;  // 36 words, two characters each
constexpr size_t kVideoBlockBytes = protocol::kVideoBlockLength;   // 64 video words
constexpr size_t kFirmwareChars = protocol::kFirmwareReplyLength;
constexpr size_t kVideoSamples = 256;  // one video line as the PC sees it
constexpr size_t kVideoBlockWords = protocol::kVideoBlockWords;

constexpr uint16_t kRequestSync = protocol::kRequestSync;
constexpr uint16_t kReplySync = protocol::kReplySync;

enum Order : int {
  kOrderWriteRam = protocol::kWriteRam,
  kOrderReadRam = protocol::kReadRam,
  kOrderWriteEeprom = protocol::kWriteEeprom,
  kOrderReadEeprom = protocol::kReadEeprom,
  kOrderEchoCheck = protocol::kEchoCheck,
  kOrderTeach = protocol::kTeach,
  kOrderFirmwareInfo = protocol::kFirmwareInfo,
  kOrderMeasure = protocol::kMeasure,
  kOrderData64 = protocol::kData64,
  kOrderCcdInfo = protocol::kCcdInfo,
};

using protocol::EncodeFrame;
using protocol::EncodeRequest;
using protocol::IsOrder;
using protocol::WordAt;

// Short lower-case name of an order ("read-ram", "measure", ...); "unknown"
// for codes outside 1..10.
inline const char* OrderName(int code) {
  return protocol::OrderTag(code);
}

// The 72-byte firmware reply: the text two characters per word, high byte
// first, zero-padded; characters beyond 72 are cut off.
std::vector<uint8_t> EncodeFirmwareText(const std::string& text);
// Raw big-endian words without a header.
std::vector<uint8_t> EncodeRawWords(const uint16_t* words, size_t count);

}  // namespace sim
