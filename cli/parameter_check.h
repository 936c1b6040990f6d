// Which values of a parameter set the sensor accepts, by the one range table
// of the sensor's words (protocol/parameter_ranges.h): a set with a value
// outside is refused whole and nothing of it is sent. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

// The index (0..15) of the first of the 16 `values` the sensor does not
// accept, -1 when it accepts them all. The pixel positions are accepted up to
// `pixelLimit`, the line's pixel count (protocol::kLongestLine while it is not
// known). A value above 65535 (a parameter file holds up to 4294967295) is
// refused too, never cut to its low 16 bits.
int FirstRefused(const uint32_t* values, uint16_t pixelLimit);

// "power 2000 is outside 0..1000 (Power)" for word `index` holding `value`.
std::string RefusedText(int index, uint32_t value, uint16_t pixelLimit);

}  // namespace cli
