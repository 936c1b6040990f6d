// The line log: replies gathered from pieces with their response times,
// trailing and stray bytes, flushes, time-outs at the limit, the origin of
// the times, the bound.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "monitor/line_log.h"

using monitor::LineEntry;
using monitor::LineLog;

namespace {

std::vector<uint8_t> Request(int order, int word0 = 0) {
  std::vector<uint8_t> bytes(36, 0);
  bytes[1] = 0x55;
  bytes[3] = static_cast<uint8_t>(order);
  bytes[4] = static_cast<uint8_t>(word0 >> 8);
  bytes[5] = static_cast<uint8_t>(word0);
  return bytes;
}
void Send(LineLog& log, double s, int order, int word0 = 0) {
  log.Sent(s, Request(order, word0).data(), 36);
}
void Receive(LineLog& log, double s, int n) {
  log.Received(s, std::vector<uint8_t>(n).data(), n);
}
void FlushIn(LineLog& log, double s, int n) {
  log.InputFlushed(s, std::vector<uint8_t>(n).data(), n);
}

std::string G(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// An entry in short: kind, time, then only the fields that are set.
std::string Summary(const LineEntry& e) {
  static const char* const kKinds[] = {"req",    "rep",      "tmo",    "inflush", "outflush",
                                       "notify", "unnotify", "opened", "closed",  "lost"};
  std::string s = std::string(kKinds[static_cast<int>(e.kind)]) + " @" + G(e.timeMs);
  if (e.order != 0) s += " o" + std::to_string(e.order);
  if (e.responseMs >= 0) s += " +" + G(e.responseMs);
  if (!e.bytes.empty()) s += " " + std::to_string(e.bytes.size()) + "B";
  if (e.limitMs != 0) s += " /" + G(e.limitMs);
  if (e.value != 0) s += " v" + std::to_string(e.value);
  if (!e.text.empty()) s += " " + e.text;
  return s;
}

std::vector<std::string> Play(const std::function<void(LineLog&)>& script) {
  LineLog log;
  std::vector<std::string> heard;
  log.SetListener([&](const LineEntry& e) { heard.push_back(Summary(e)); });
  script(log);
  std::vector<std::string> kept;
  for (const LineEntry& e : log.Entries()) kept.push_back(Summary(e));
  EXPECT_EQ(heard, kept) << "the listener hears every entry as it is kept";
  return kept;
}

}  // namespace

TEST(LineLog, TurnsTapReportsIntoEntries) {
  const struct {
    const char* what;
    std::function<void(LineLog&)> script;
    std::vector<std::string> entries;
  } rows[] = {
      {"a reply in pieces is one entry dated at its first byte; a block reply has its start",
       [](LineLog& log) {
         log.Opened(10.0, "/dev/pts/3");
         Send(log, 10.5, 8);
         Receive(log, 10.52, 10);
         Receive(log, 10.53, 26);
         Send(log, 11.0, 9, 64);
         Receive(log, 11.1, 128);
       },
       {"opened @0 /dev/pts/3", "req @500 o8 36B", "rep @520 o8 +20 36B", "req @1000 o9 36B",
        "rep @1100 o9 +100 128B v64"}},
      {"trailing bytes are dropped by the flush that shows them, else are stray",
       [](LineLog& log) {
         Send(log, 1.0, 8);
         Receive(log, 1.02, 40);
         FlushIn(log, 1.1, 4);
         Send(log, 1.2, 10);
         Receive(log, 1.22, 38);
         Send(log, 1.5, 8);
       },
       {"req @0 o8 36B", "rep @20 o8 +20 36B", "inflush @100 4B", "req @200 o10 36B",
        "rep @220 o10 +20 36B", "rep @220 o10 2B", "req @500 o8 36B"}},
      {"a time-out strictly after the limit, dated at it; the reply after it is late",
       [](LineLog& log) {
         Send(log, 1.0, 8);
         log.NotifyRemoved(2.5);
         log.Tick(2.5001);
         log.Tick(3.0);
         Receive(log, 3.0, 36);
       },
       {"req @0 o8 36B", "unnotify @1500", "tmo @1500 o8 /1500", "rep @2000 o8 +2000 36B"}},
      {"a time-out comes before the report that revealed it; an incomplete reply shows at the end",
       [](LineLog& log) {
         Send(log, 0.0, 7);
         Receive(log, 1.0, 10);
         log.NotifyInstalled(2.5, 0x8006);
         log.Closed(2.6);
         log.Tick(9.0);
       },
       {"req @0 o7 36B", "tmo @2000 o7 /2000", "notify @2500 v32774", "rep @1000 o7 +1000 10B",
        "closed @2600"}},
      {"bytes with no request or after an order awaiting none are stray; noise comes in pieces",
       [](LineLog& log) {
         Receive(log, 0.0, 600);
         log.OutputFlushed(0.1, 36);
         Send(log, 0.2, 1);
         Receive(log, 0.3, 2);
         log.Lost(0.4, "gone");
         log.Tick(9.0);
       },
       {"rep @0 256B", "rep @0 256B", "outflush @100 v36", "rep @0 88B", "req @200 o1 36B",
        "rep @300 o1 2B", "lost @400 gone"}},
      {"a flush cutting a reply ends the wait for it",
       [](LineLog& log) {
         Send(log, 0.0, 8);
         Receive(log, 0.01, 10);
         FlushIn(log, 0.02, 10);
         log.Tick(2.0);
       },
       {"req @0 o8 36B", "inflush @20 10B"}},
      {"times count from the last opening; a closed port awaits nothing",
       [](LineLog& log) {
         log.Opened(5.0, "a");
         Send(log, 5.5, 8);
         log.Closed(6.0);
         log.Opened(7.0, "b");
         log.Tick(20.0);
       },
       {"opened @0 a", "req @500 o8 36B", "closed @1000", "opened @0 b"}},
  };
  for (const auto& row : rows) EXPECT_EQ(Play(row.script), row.entries) << row.what;
}

TEST(LineLog, KeepsTheNewestEntriesUpToItsCapacity) {
  LineLog log(3);
  int heard = 0;
  log.SetListener([&](const LineEntry&) { ++heard; });
  for (int i = 0; i < 5; ++i) log.NotifyInstalled(i, i);
  ASSERT_EQ(log.Entries().size(), 3u);
  EXPECT_EQ(log.Entries().front().value, 2);
  EXPECT_EQ(log.Appended(), 5u);
  EXPECT_EQ(heard, 5);
}
