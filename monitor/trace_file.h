// Trace files: the line monitor's entries as text, one entry a line (time,
// direction, kind, the bytes in hex, fields, a decoded comment), described in
// docs/trace-format.md. Pure: entries in, text out, and back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monitor/line_entry.h"

namespace monitor {

// The first line of every trace file, with its newline.
std::string TraceHeader();
// One entry as a line, with its newline; `comment` (the decoded text) follows
// a '#' and is not read back.
std::string TraceLine(const LineEntry& entry, std::string_view comment);

struct TraceReadResult {
  bool ok = false;
  std::vector<LineEntry> entries;
  int errorLine = 0;  // 1-based line at fault when !ok
  std::string error;  // what is wrong with it
};
// Reads a whole trace file's text. A file without the header, or with a line
// that is not an entry, is refused with the line at fault.
TraceReadResult ReadTrace(std::string_view text);

}  // namespace monitor
