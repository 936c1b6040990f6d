// Trace files: every kind of entry written and read back unchanged, the
// written form itself, and the lines a reader refuses with their line number.
#include "monitor/trace_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace monitor {
namespace {

std::vector<uint8_t> Frame(uint8_t sync, uint8_t order) {
  std::vector<uint8_t> frame(36, 0);
  frame[1] = sync;
  frame[3] = order;
  frame[35] = 0xFF;
  return frame;
}

using K = EntryKind;

// Each kind with the fields the line log fills in; times and response times
// exact at three decimals.
const std::vector<LineEntry> kEveryKind = {
    {.timeMs = 0.0, .kind = K::kOpened, .text = "/dev/pts/7"},
    {.timeMs = 0.25, .kind = K::kNotifyInstalled, .value = 0x8006},
    {.timeMs = 1.5, .kind = K::kRequest, .bytes = Frame(0x55, 8), .order = 8},
    {.timeMs = 20.875,
     .kind = K::kReply,
     .bytes = Frame(0xAA, 8),
     .order = 8,
     .responseMs = 19.375},
    {.timeMs = 30.125,
     .kind = K::kReply,
     .bytes = std::vector<uint8_t>(128, 0x5A),
     .order = 9,
     .responseMs = 0.0,
     .value = 192},
    {.timeMs = 31.0, .kind = K::kReply, .bytes = {0x00}},  // before any request
    {.timeMs = 1541.5, .kind = K::kTimeout, .order = 5, .limitMs = 1500.0},
    {.timeMs = 1600.0, .kind = K::kInputFlushed, .bytes = {0xDE, 0xAD}},
    {.timeMs = 1600.5, .kind = K::kInputFlushed},  // nothing discarded
    {.timeMs = 1601.0, .kind = K::kOutputFlushed, .value = 12},
    {.timeMs = 1602.0, .kind = K::kNotifyRemoved},
    {.timeMs = 1700.0, .kind = K::kClosed},
    {.timeMs = 1e80, .kind = K::kClosed},  // an edited time of 81 digits
    {.timeMs = 123456.789, .kind = K::kLost, .text = "device gone: 100% #2\tend\n\x01\xB5"},
};

TEST(TraceFile, EveryKindReadsBackUnchanged) {
  std::string text = TraceHeader();
  for (const LineEntry& entry : kEveryKind)
    text += TraceLine(entry, "decoded # text\nwith a break");
  TraceReadResult read = ReadTrace(text);
  ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
  ASSERT_EQ(read.entries, kEveryKind);
}

TEST(TraceFile, LinesReadAsDocumented) {
  EXPECT_EQ(TraceLine(kEveryKind[6], "Echo check: no reply"),
            "1541.500 - timeout - order=5 limit=1500.000 # Echo check: no reply\n");
  EXPECT_EQ(TraceLine({.kind = K::kOpened, .text = "a b#%\xB5"}, ""),
            "0.000 - opened - text=a%20b%23%25%b5\n");

  // Comments, blank lines, CR LF, tabs and upper-case hex are read too.
  TraceReadResult read = ReadTrace(
      "vantrel-trace 1 \r\n# saved at the line\n\n  \t\n"
      "2.5\t>  request 0055000A order=10 # CCD info\r\n"
      "   # an indented comment\n"
      "4.000 < reply 00aa000a response=1.5");
  ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
  EXPECT_EQ(read.entries,
            (std::vector<LineEntry>{
                {.timeMs = 2.5, .kind = K::kRequest, .bytes = {0, 0x55, 0, 10}, .order = 10},
                {.timeMs = 4.0, .kind = K::kReply, .bytes = {0, 0xAA, 0, 10}, .responseMs = 1.5}}));
}

TEST(TraceFile, RefusesWhatIsNotATrace) {
  struct Row {
    std::string text;
    int line;
    std::string reason;  // a part of the error
  };
  const std::string head = "vantrel-trace 1\n0.000 - opened - text=x\n";
  const std::vector<Row> rows = {
      {"", 1, "not a trace file"},
      {"0.000 - opened -\n", 1, "not a trace file"},
      {"vantrel-trace 2\n", 1, "unsupported trace version '2'"},
      {head + "1.0 > request\n", 3, "needs a time"},
      {head + "1.0x > request -\n", 3, "bad time"},
      {head + "nan > request -\n", 3, "bad time"},
      {head + "1.0 > answer -\n", 3, "unknown kind 'answer'"},
      {head + "1.0 < request -\n", 3, "direction of request must be '>'"},
      {head + "1.0 - reply -\n", 3, "direction of reply must be '<'"},
      {head + "1.0 > request 005\n", 3, "bad bytes"},
      {head + "1.0 > request 00g5\n", 3, "bad bytes"},
      {head + "\n1.0 > request - order\n", 4, "not key=value"},
      {head + "1.0 > request - order=8x\n", 3, "bad number"},
      {head + "1.0 - timeout - limit=z\n", 3, "bad number"},
      {head + "1.0 > request - order=8 order=8\n", 3, "given twice"},
      {head + "1.0 > request - colour=red\n", 3, "unknown field 'colour'"},
      {head + "1.0 - lost - text=a%2\n", 3, "bad percent escape"},
      {head + "1.0 - lost - text=a%zz\n", 3, "bad percent escape"},
  };
  for (const Row& row : rows) {
    TraceReadResult read = ReadTrace(row.text);
    EXPECT_FALSE(read.ok) << row.text;
    EXPECT_EQ(read.errorLine, row.line) << row.text;
    EXPECT_NE(read.error.find(row.reason), std::string::npos) << row.text << " -> " << read.error;
  }
}

}  // namespace
}  // namespace monitor
