// The link light: colour, replies per second over the last second, the last
// response time and the time-outs since the opening, as a screen reader says.
#include <gtest/gtest.h>

#include "monitor/link_health.h"

using monitor::EntryKind;
using monitor::LineEntry;
using monitor::LinkColour;

namespace {

LineEntry At(EntryKind kind, double timeMs) {
  LineEntry entry;
  entry.kind = kind;
  entry.timeMs = timeMs;
  entry.order = 8;
  return entry;
}

// A Measure reply; `echo` other than 8 makes it a frame that answers nothing.
LineEntry Reply(double timeMs, double responseMs, uint8_t echo = 8) {
  LineEntry entry = At(EntryKind::kReply, timeMs);
  entry.responseMs = responseMs;
  entry.bytes.assign(36, 0);
  entry.bytes[1] = 0xAA;
  entry.bytes[3] = echo;
  return entry;
}

}  // namespace

TEST(LinkHealth, ColourRateAndTextFollowTheEntries) {
  monitor::LinkHealth health;
  EXPECT_EQ(health.At(0).text, "idle, 0.0 replies/s, no response yet, 0 time-outs");
  for (int i = 1; i <= 10; ++i) health.Add(Reply(100.0 * i, 10.0 + i));
  EXPECT_EQ(health.At(1000).colour, LinkColour::kGreen);
  EXPECT_EQ(health.At(1000).text,
            "replies arriving, 10.0 replies/s, last response 20.0 ms, 0 time-outs");
  // Not answers: a frame out of step, a cut reply, stray bytes.
  LineEntry cut = Reply(1060, 5);
  cut.bytes.resize(20);
  for (const LineEntry& e : {Reply(1050, 5, 7), cut, Reply(1070, -1)}) health.Add(e);
  EXPECT_EQ(health.At(1100).text,  // the window leaves out its start
            "replies arriving, 9.0 replies/s, last response 20.0 ms, 0 time-outs");
  EXPECT_EQ(health.At(2000).text, "idle, 0.0 replies/s, last response 20.0 ms, 0 time-outs");

  health.Add(At(EntryKind::kTimeout, 3000));
  EXPECT_EQ(health.At(3000).colour, LinkColour::kRed);
  EXPECT_EQ(health.At(9000).text, "time-outs, 0.0 replies/s, last response 20.0 ms, 1 time-out");
  LineEntry block = Reply(9100, 19.4);  // raw, no header
  block.order = 9;
  block.bytes.assign(128, 0xFF);
  health.Add(block);
  EXPECT_EQ(health.At(9100).text,
            "replies arriving, 1.0 replies/s, last response 19.4 ms, 1 time-out");

  health.Add(At(EntryKind::kLost, 9200));
  EXPECT_EQ(health.At(9200).colour, LinkColour::kRed);
  EXPECT_EQ(health.At(9200).text, "port lost");
  health.Add(At(EntryKind::kOpened, 0));
  EXPECT_EQ(health.At(0).text, "idle, 0.0 replies/s, no response yet, 0 time-outs");
}
