// What the bytes on the sensor line mean, in the words an operator reads: the
// order's name, the parameters by name, the measurement, the CCD and firmware
// replies, a video block. Pure: bytes in, text out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/line_entry.h"

namespace monitor {

// Hex, two lower-case digits a byte, `grouped`: a space every two bytes.
std::string HexBytes(const std::vector<uint8_t>& bytes, bool grouped);

// Whether a reply entry answers its request: the whole reply the order awaits,
// with a response time, and for a 36-byte frame protocol::ReplyAnswers. Bytes
// beyond the reply do not matter.
bool IsAnswer(const LineEntry& reply);

// The decoded text of an entry, without its time: for a request the order and
// its words (the 16 parameters by name, or block start and last flag); for a
// reply the order answered and the words in that order's meaning, with any
// header that does not answer the request said; for events what happened.
// A reply without a response time (responseMs < 0), after an order awaiting
// none, or with no request before it is stray bytes. UTF-8 (the firmware
// text is Latin-1 on the line); no newline.
std::string DescribeEntry(const LineEntry& entry);

}  // namespace monitor
