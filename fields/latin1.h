// The sensor's texts (firmware, CCD description) are Latin-1 on the line;
// files and pages written for people are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace fields {

// Each byte as the code point of the same number, in UTF-8 (0xB5 -> "\xC2\xB5").
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace fields
