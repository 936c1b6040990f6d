// One field of a CSV record as RFC 4180 writes it.
#pragma once

#include <string>
#include <string_view>

namespace watch {

// Records end in CR LF.
inline constexpr std::string_view kCsvLineEnd = "\r\n";

// `text` as it stands, or within double quotes with each quote doubled when
// it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view text);

}  // namespace watch
