// What a read-back says about a set just sent, in the status line's words.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sets {

// `store` "RAM" or "EEPROM". All equal: "RAM holds the 16 parameters sent".
// Else the differing parameters by name, the first two in full:
// "EEPROM holds power 480, sent 500; tVal 301, sent 300; and 1 more (see Compare)".
std::string VerifyText(const char* store, const std::array<uint16_t, 16>& sent,
                       const std::array<uint16_t, 16>& held);

}  // namespace sets
