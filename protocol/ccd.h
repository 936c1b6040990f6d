// The CCD lines a sensor reports (its CCD information reply, word 0): their
// description as the settings panel shows it. Pure.
#pragma once

#include <cstdint>

namespace protocol {

// The description of CCD type `type`, Latin-1 (the micro sign is byte 0xB5),
// each beginning with two spaces; types 1 to 3 are known, any other type
// gets "  CCD-SENSOR: no information avialable!".
const char* CcdDescription(uint16_t type);

}  // namespace protocol
