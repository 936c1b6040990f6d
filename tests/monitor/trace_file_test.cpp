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

LineEntry Entry(double timeMs, EntryKind kind) {
  LineEntry entry;
  entry.timeMs = timeMs;
  entry.kind = kind;
  return entry;
}

std::vector<LineEntry> EveryKind() {
  std::vector<LineEntry> entries;
  LineEntry opened = Entry(0.0, EntryKind::kOpened);
  opened.text = "/dev/pts/7";
  entries.push_back(opened);
  LineEntry installed = Entry(0.25, EntryKind::kNotifyInstalled);
  installed.value = 0x8006;
  entries.push_back(installed);
  LineEntry request = Entry(1.5, EntryKind::kRequest);
  request.bytes = Frame(0x55, 8);
  request.order = 8;
  entries.push_back(request);
  LineEntry reply = Entry(20.875, EntryKind::kReply);
  reply.bytes = Frame(0xAA, 8);
  reply.order = 8;
  reply.responseMs = 19.375;
  entries.push_back(reply);
  LineEntry block = Entry(30.125, EntryKind::kReply);
  block.bytes = std::vector<uint8_t>(128, 0x5A);
  block.order = 9;
  block.value = 192;
  block.responseMs = 0.0;
  entries.push_back(block);
  LineEntry stray = Entry(31.0, EntryKind::kReply);  // bytes before any request
  stray.bytes = {0x00};
  entries.push_back(stray);
  LineEntry timeout = Entry(1541.5, EntryKind::kTimeout);
  timeout.order = 5;
  timeout.limitMs = 1500.0;
  entries.push_back(timeout);
  LineEntry inFlushed = Entry(1600.0, EntryKind::kInputFlushed);
  inFlushed.bytes = {0xDE, 0xAD};
  entries.push_back(inFlushed);
  entries.push_back(Entry(1600.5, EntryKind::kInputFlushed));  // nothing discarded
  LineEntry outFlushed = Entry(1601.0, EntryKind::kOutputFlushed);
  outFlushed.value = 12;
  entries.push_back(outFlushed);
  entries.push_back(Entry(1602.0, EntryKind::kNotifyRemoved));
  entries.push_back(Entry(1700.0, EntryKind::kClosed));
  LineEntry lost = Entry(123456.789, EntryKind::kLost);
  lost.text = "device gone: 100% #2\tend\n\x01\xB5";
  entries.push_back(lost);
  return entries;
}

TEST(TraceFile, EveryKindReadsBackUnchanged) {
  std::string text = TraceHeader();
  for (const LineEntry& entry : EveryKind())
    text += TraceLine(entry, "decoded # text\nwith a break");
  TraceReadResult read = ReadTrace(text);
  ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
  ASSERT_EQ(read.entries, EveryKind());
}

TEST(TraceFile, LinesReadAsDocumented) {
  LineEntry timeout = Entry(1541.5, EntryKind::kTimeout);
  timeout.order = 5;
  timeout.limitMs = 1500.0;
  EXPECT_EQ(TraceLine(timeout, "Echo check: no reply"),
            "1541.500 - timeout - order=5 limit=1500.000 # Echo check: no reply\n");
  LineEntry opened = Entry(0.0, EntryKind::kOpened);
  opened.text = "a b#%";
  EXPECT_EQ(TraceLine(opened, ""), "0.000 - opened - text=a%20b%23%25\n");

  // Comments, blank lines, CR LF, tabs and upper-case hex are read too.
  TraceReadResult read = ReadTrace(
      "vantrel-trace 1\r\n# saved at the line\n\n  \t\n"
      "2.5\t>  request 0055000A order=10 # CCD info\r\n"
      "   # an indented comment\n"
      "4.000 < reply 00aa000a response=1.5");
  ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
  LineEntry request = Entry(2.5, EntryKind::kRequest);
  request.bytes = {0x00, 0x55, 0x00, 0x0A};
  request.order = 10;
  LineEntry reply = Entry(4.0, EntryKind::kReply);
  reply.bytes = {0x00, 0xAA, 0x00, 0x0A};
  reply.responseMs = 1.5;
  EXPECT_EQ(read.entries, (std::vector<LineEntry>{request, reply}));
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
      {"# vantrel-trace 1\n", 1, "not a trace file"},
      {"vantrel-trace 2\n", 1, "unsupported trace version '2'"},
      {head + "1.0 > request\n", 3, "needs a time"},
      {head + "1.0x > request -\n", 3, "bad time"},
      {head + "nan > request -\n", 3, "bad time"},
      {head + "1.0 > answer -\n", 3, "unknown kind 'answer'"},
      {head + "1.0 < request -\n", 3, "direction of request must be '>'"},
      {head + "1.0 - reply -\n", 3, "direction of reply must be '<'"},
      {head + "1.0 > timeout -\n", 3, "direction of timeout must be '-'"},
      {head + "1.0 > request 005\n", 3, "bad bytes"},
      {head + "1.0 > request 00g5\n", 3, "bad bytes"},
      {head + "\n1.0 > request - order\n", 4, "not key=value"},
      {head + "1.0 > request - order=8x\n", 3, "bad number"},
      {head + "1.0 < reply - response=\n", 3, "bad number"},
      {head + "1.0 - timeout - limit=z\n", 3, "bad number"},
      {head + "1.0 - notify-installed - value=1.5\n", 3, "bad number"},
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
