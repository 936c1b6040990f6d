// What the replies to the sensor search's two requests mean: the line check,
// whose 36-byte reply with the reply sync means a sensor, and the firmware
// query, 72 raw bytes of text. The requests themselves, their reply lengths
// and limits are protocol/'s. Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ports {

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
