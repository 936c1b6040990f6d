// The sensor's side of the serial protocol: frame sizes, order codes and the
// byte-level encoding of replies.
//
// Every request is 36 bytes: sync 00 55, the order code and 16 words, all
// big-endian. Orders 2, 4, 5, 6, 8 and 10 are answered with a 36-byte frame
// (sync 00 AA, the order echo, 16 words); order 7 with 72 raw bytes of firmware
// text, order 9 with 128 raw bytes of video; orders 1 and 3 get no reply.
// Words are packed byte by byte, high byte first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The 16 words of a request or of a 36-byte reply.
using Words = std::array<uint16_t, 16>;

constexpr size_t kFrameBytes = 36;
constexpr size_t kFirmwareBytes = 72;     // 36 words, two characters each
constexpr size_t kVideoBlockBytes = 128;  // 64 video words
constexpr size_t kFirmwareChars = 72;
constexpr size_t kVideoSamples = 256;  // one video line as the PC sees it
constexpr size_t kVideoBlockWords = 64;

constexpr uint16_t kRequestSync = 0x0055;
constexpr uint16_t kReplySync = 0x00AA;

enum Order : int {
  kOrderWriteRam = 1,
  kOrderReadRam = 2,
  kOrderWriteEeprom = 3,
  kOrderReadEeprom = 4,
  kOrderEchoCheck = 5,
  kOrderTeach = 6,
  kOrderFirmwareInfo = 7,
  kOrderMeasure = 8,
  kOrderData64 = 9,
  kOrderCcdInfo = 10,
};

constexpr bool IsOrder(int code) {
  return code >= kOrderWriteRam && code <= kOrderCcdInfo;
}

// Short lower-case name of an order ("read-ram", "measure", ...); "unknown"
// for codes outside 1..10.
const char* OrderName(int code);

// Big-endian word at p[0], p[1].
inline uint16_t WordAt(const uint8_t* p) {
  return static_cast<uint16_t>((static_cast<unsigned>(p[0]) << 8) | p[1]);
}
// Appends `word` high byte first.
void PutWord(std::vector<uint8_t>* out, uint16_t word);

// A 36-byte frame: sync, echo, the 16 words.
std::vector<uint8_t> EncodeFrame(uint16_t sync, uint16_t echo, const Words& words);
// A request as the PC sends it (sync 00 55). Used by tests and tools.
std::vector<uint8_t> EncodeRequest(int order, const Words& words);
// The 72-byte firmware reply: the text two characters per word, high byte
// first, zero-padded; characters beyond 72 are cut off.
std::vector<uint8_t> EncodeFirmwareText(const std::string& text);
// Raw big-endian words without a header.
std::vector<uint8_t> EncodeRawWords(const uint16_t* words, size_t count);

}  // namespace sim
