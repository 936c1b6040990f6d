// Fuzz target: trace files, as the line monitor loads them and the simulator's
// replay reads them. Any text is either refused with a line at fault or read
// into entries whose written form reads back to itself (a hand-written time
// of more than three decimals is rounded once, then stays); describing the entries and turning them
// into replay answers must never read out of bounds.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/frame_decode.h"
#include "monitor/trace_file.h"
#include "sim/replay_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const monitor::TraceReadResult read = monitor::ReadTrace(text);
  if (!read.ok) {
    if (read.errorLine < 1 || read.error.empty()) std::abort();  // refused without saying where
    return 0;
  }
  const auto write = [](const std::vector<monitor::LineEntry>& entries) {
    std::string text = monitor::TraceHeader();
    for (const monitor::LineEntry& entry : entries)
      text += monitor::TraceLine(entry, monitor::DescribeEntry(entry));
    return text;
  };
  const std::string written = write(read.entries);
  const monitor::TraceReadResult again = monitor::ReadTrace(written);
  if (!again.ok || again.entries.size() != read.entries.size()) std::abort();  // lost on the way
  if (write(again.entries) != written) std::abort();  // not read back unchanged
  const sim::ReplayScript script(read.entries);
  (void)script.RequestCount();
  return 0;
}
