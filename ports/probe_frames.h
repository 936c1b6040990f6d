// The two requests of the sensor search and what their replies mean: the line
// check (order 5), whose 36-byte reply with the reply sync 0x00AA means a
// sensor, and the firmware query (order 7), 72 raw bytes of text. Pure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ports {

constexpr int kLineCheckOrder = 5;
constexpr int kFirmwareOrder = 7;

// The request frame as the program builds it: sync 0x0055, the order code,
// then the 16 words, every word high byte first.
std::vector<uint8_t> RequestFrame(int order, const std::array<uint16_t, 16>& words);

// Bytes of the reply `order` awaits and the sender's limit for it in
// milliseconds, as the program and the line monitor count them.
int ReplyLength(int order);
double ReplyLimitMs(int order);

enum class LineCheck {
  kIncomplete,  // fewer bytes than a frame
  kSensor,      // a whole frame starting with the reply sync
  kWrongSync,   // a whole frame with another first word
};
// Judges the first 36 bytes of what came back to the line check.
LineCheck JudgeLineCheck(const std::vector<uint8_t>& reply);

// The firmware text of a firmware reply (its first 72 bytes: printable
// Latin-1 characters, then zero padding), as UTF-8; none when the bytes are
// too few or no such text.
std::optional<std::string> FirmwareText(const std::vector<uint8_t>& reply);

}  // namespace ports
