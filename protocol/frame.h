// The sensor's 36-byte frame: the sync words, the layout, the words on the
// line and the rule that a reply answers a request. Pure: bytes in, bytes out.
//
// Every request is one frame: a sync word, the order code and 16 words. Most
// replies are frames of the same layout, with the reply sync and the order
// echoed; the firmware text and a video block come as raw words without a
// header (protocol/raw_replies.h). Every word on the line is 16 bits wide and
// big-endian, packed and unpacked byte by byte.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace protocol {

// The sync words: the request's (also the receive notification's event
// character) and the reply frame's.
constexpr uint16_t kRequestSync = 0x0055;
constexpr uint16_t kReplySync = 0x00AA;

constexpr int kFrameWords = 16;                                // the parameter package's size
constexpr int kHeaderLength = 4;                               // sync word, then order code or echo
constexpr int kFrameLength = kHeaderLength + 2 * kFrameWords;  // 36 bytes

// The 16 words of a request or of a reply frame.
using Words = std::array<uint16_t, kFrameWords>;

// The big-endian word at bytes[0], bytes[1].
constexpr uint16_t WordAt(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] * 256u + bytes[1]);
}
// Writes `word` into bytes[0], bytes[1], high byte first.
constexpr void PutWord(uint8_t* bytes, uint16_t word) {
  bytes[0] = static_cast<uint8_t>(word >> 8);
  bytes[1] = static_cast<uint8_t>(word & 0xFF);
}

// The header of a frame: its sync word and its order code (in a reply, the
// order echo).
constexpr uint16_t SyncOf(const uint8_t* frame) {
  return WordAt(frame);
}
constexpr uint16_t OrderOf(const uint8_t* frame) {
  return WordAt(frame + 2);
}
// Word `i` (0..15) of a frame, from byte 4 on.
constexpr uint16_t FrameWord(const uint8_t* frame, int i) {
  return WordAt(frame + kHeaderLength + 2 * i);
}

// Writes the 36 bytes of a frame into `frame`: `sync`, `order`, then the 16
// `words`.
void WriteFrame(uint8_t* frame, uint16_t sync, uint16_t order, const uint16_t* words);
// The same as a byte vector.
std::vector<uint8_t> EncodeFrame(uint16_t sync, uint16_t order, const Words& words);
// A request as the program sends it: the request sync, `order`, `words`.
std::vector<uint8_t> EncodeRequest(int order, const Words& words);
// The words of the video-block request: word 0 the block start, word 1 the
// last-block flag (each its low 16 bits), words 2..15 zero. This request never
// carries the parameter package.
Words BlockRequestWords(int start, int last);
// The 16 words of a frame.
Words DecodeWords(const uint8_t* frame);

// Whether the 36-byte `frame` answers the request with `order`: it echoes the
// order and starts with the reply sync. The line check's reply needs only the
// echo: the program judges its sync itself and has its own text for a wrong
// one. Anything else (a frame out of step after stray bytes, a late reply to
// an earlier request, another order's answer) answers nothing.
bool ReplyAnswers(const uint8_t* frame, int order);

}  // namespace protocol
