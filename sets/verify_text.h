// What a read-back says about a set just sent, in the status line's words.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sets {

// Characters the status line shows whole at its width.
constexpr size_t kVerifyTextMax = 96;

// `store` "RAM" or "EEPROM". All equal: "RAM holds the 16 parameters sent".
// Else the differing parameters by the panels' labels, as many in full as fit
// in kVerifyTextMax characters, a held value the sensor does not accept
// marked with its range (the pixel positions up to `pixelLimit`):
// "EEPROM holds Power 480, sent 500; Teach value 301, sent 300; and 1 more
// (see Compare)".
std::string VerifyText(const char* store, const std::array<uint16_t, 16>& sent,
                       const std::array<uint16_t, 16>& held, uint16_t pixelLimit);

}  // namespace sets
