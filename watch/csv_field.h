// One field of a CSV record as RFC 4180 writes it, and the Latin-1 texts of
// the sensor as UTF-8 for the file.
#pragma once

#include <string>
#include <string_view>

namespace watch {

// Records end in CR LF.
inline constexpr std::string_view kCsvLineEnd = "\r\n";

// `text` as it stands, or within double quotes with each quote doubled when
// it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view text);

// Each byte as the code point of the same number, in UTF-8 (0xB5 -> "\xC2\xB5").
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace watch
