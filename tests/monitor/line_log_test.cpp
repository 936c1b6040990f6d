// The line log: replies gathered from pieces with their response times,
// trailing and stray bytes, flushes, time-outs at the limit, the origin of
// the times, the bound.
#include <gtest/gtest.h>

#include <cstdio>
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

// One tap report: O opened, C closed, L lost, S sent (order n, first word w),
// R received n bytes, F input flushed n bytes, f output flushed n, N
// notification installed (mask n), n removed, T tick.
struct Step {
  char what;
  double s;
  int n = 0;
  int w = 0;
};

std::vector<std::string> Play(const std::vector<Step>& steps) {
  LineLog log;
  std::vector<std::string> heard;
  log.SetListener([&](const LineEntry& e) { heard.push_back(Summary(e)); });
  for (const Step& step : steps) {
    const std::vector<uint8_t> bytes =
        step.what == 'S' ? Request(step.n, step.w) : std::vector<uint8_t>(step.n);
    const int count = static_cast<int>(bytes.size());
    const double t = step.s;
    if (step.what == 'O') log.Opened(t, "dev");
    if (step.what == 'C') log.Closed(t);
    if (step.what == 'L') log.Lost(t, "gone");
    if (step.what == 'S') log.Sent(t, bytes.data(), count);
    if (step.what == 'R') log.Received(t, bytes.data(), count);
    if (step.what == 'F') log.InputFlushed(t, bytes.data(), count);
    if (step.what == 'f') log.OutputFlushed(t, step.n);
    if (step.what == 'N') log.NotifyInstalled(t, step.n);
    if (step.what == 'n') log.NotifyRemoved(t);
    if (step.what == 'T') log.Tick(t);
  }
  std::vector<std::string> kept;
  for (const LineEntry& e : log.Entries()) kept.push_back(Summary(e));
  EXPECT_EQ(heard, kept) << "the listener hears every entry as it is kept";
  return kept;
}

}  // namespace

TEST(LineLog, TurnsTapReportsIntoEntries) {
  const struct {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::string> entries;
  } rows[] = {
      {"a reply in pieces is one entry, dated at its first byte",
       {{'O', 10}, {'S', 10.5, 8}, {'R', 10.52, 10}, {'R', 10.53, 26}},
       {"opened @0 dev", "req @500 o8 36B", "rep @520 o8 +20 36B"}},
      {"a block reply has its block start",
       {{'S', 0, 9, 64}, {'R', 0.1, 128}},
       {"req @0 o9 36B", "rep @100 o9 +100 128B v64"}},
      {"trailing bytes are dropped by the flush that shows them, else are stray",
       {{'S', 0, 8}, {'R', .02, 40}, {'F', .1, 4}, {'S', .2, 10}, {'R', .22, 38}, {'S', .5, 8}},
       {"req @0 o8 36B", "rep @20 o8 +20 36B", "inflush @100 4B", "req @200 o10 36B",
        "rep @220 o10 +20 36B", "rep @220 o10 2B", "req @500 o8 36B"}},
      {"a time-out strictly after the limit, dated at it; the reply after it is late",
       {{'S', 1.0, 8}, {'n', 2.5}, {'T', 2.5001}, {'T', 3.0}, {'R', 3.0, 36}},
       {"req @0 o8 36B", "unnotify @1500", "tmo @1500 o8 /1500", "rep @2000 o8 +2000 36B"}},
      {"a time-out comes before the report that revealed it; an incomplete reply shows at the end",
       {{'S', 0.0, 7}, {'R', 1.0, 10}, {'N', 2.5, 0x8006}, {'C', 2.6}, {'T', 9.0}},
       {"req @0 o7 36B", "tmo @2000 o7 /2000", "notify @2500 v32774", "rep @1000 o7 +1000 10B",
        "closed @2600"}},
      {"bytes with no request or after an order awaiting none are stray; noise comes in pieces",
       {{'R', 0.0, 600}, {'f', 0.1, 36}, {'S', 0.2, 1}, {'R', 0.3, 2}, {'L', 0.4}, {'T', 9.0}},
       {"rep @0 256B", "rep @0 256B", "outflush @100 v36", "rep @0 88B", "req @200 o1 36B",
        "rep @300 o1 2B", "lost @400 gone"}},
      {"a flush cutting a reply ends the wait for it",
       {{'S', 0.0, 8}, {'R', 0.01, 10}, {'F', 0.02, 10}, {'T', 2.0}},
       {"req @0 o8 36B", "inflush @20 10B"}},
      {"times count from the last opening; a closed port awaits nothing",
       {{'O', 5.0}, {'S', 5.5, 8}, {'C', 6.0}, {'O', 7.0}, {'T', 20.0}},
       {"opened @0 dev", "req @500 o8 36B", "closed @1000", "opened @0 dev"}},
  };
  for (const auto& row : rows) EXPECT_EQ(Play(row.steps), row.entries) << row.what;
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
