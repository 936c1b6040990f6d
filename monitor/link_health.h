// The link light: replies per second, the last response time, time-outs since
// the port was opened, and one colour for all of it. Fed with the line log's
// entries as they are appended; read at any time.
#pragma once

#include <deque>
#include <string>

#include "monitor/line_entry.h"

namespace monitor {

enum class LinkColour {
  kGrey,   // idle: no reply lately, nothing failed
  kGreen,  // replies arriving
  kRed,    // the last request timed out, or the port was lost
};

struct LinkHealthView {
  LinkColour colour = LinkColour::kGrey;
  double repliesPerSecond = 0.0;
  double lastResponseMs = -1.0;  // -1: no reply yet since the opening
  int timeouts = 0;              // since the port was opened
  // The colour's meaning: "replies arriving", "time-outs", "port lost", "idle".
  std::string state = "idle";
  // What a screen reader says, e.g. "replies arriving, 26.6 replies/s, last
  // response 19.4 ms, 0 time-outs".
  std::string text;
};

class LinkHealth {
 public:
  // `entryTimeMs` of each entry is on the log's clock (ms since opening).
  void Add(const LineEntry& entry);
  // The view at `nowMs` (same clock, not before the last entry): replies per
  // second over the last second, green while a reply came within it. Only
  // replies that answer their request count (IsAnswer).
  LinkHealthView At(double nowMs) const;

 private:
  // Times of the replies within a second of the newest one, oldest first.
  std::deque<double> replyTimesMs_;
  double lastResponseMs_ = -1.0;
  int timeouts_ = 0;
  bool timedOutLast_ = false;  // the latest of {answer, time-out} is a time-out
  bool lost_ = false;
};

}  // namespace monitor
