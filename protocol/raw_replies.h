// The two raw replies, judged for what they must be: the firmware text and a
// block of video levels. Raw replies carry no header, so their content is all
// that tells them from stray bytes or a frame out of step. Pure.
#pragma once

#include <cstdint>

namespace protocol {

constexpr uint16_t kVideoLevelMax = 1023;  // video levels are 0..1023 counts

// Seconds the line must stay quiet once a raw reply's byte count is there
// (about four character times at 19200 baud): a reply still growing then was
// not the reply alone. A look at the queue that finds nothing new waits on the
// device a moment, so as many unchanged looks also make a quiet line (and end
// the wait when the program's clock is held still).
constexpr double kRawReplyQuiet = 0.002;
constexpr int kRawReplyQuietLooks = 8;

// Whether `count` raw bytes are a firmware text: printable characters (no
// control codes), then nothing but zero bytes.
bool IsFirmwareText(const uint8_t* bytes, int count);
// The characters of a firmware text: the bytes before the first zero byte.
int FirmwareTextLength(const uint8_t* bytes, int count);

// Whether the first 128 bytes of `bytes` are 64 video levels (each 0..1023).
bool IsVideoBlock(const uint8_t* bytes);

}  // namespace protocol
