// What a trace recorded the sensor answering, per order, for replaying it:
// the simulator answers the n-th request of an order with what followed the
// n-th request of that order in the trace.
//
// An answer is every byte that came on the line after its request and before
// the next request (or the port's end or re-opening): replies, trailing or
// stray bytes, and bytes the PC only discarded with an input flush (they came
// too). Its delay is from the request to the first of those bytes; bytes seen
// only in a flush count from the flush. A request with nothing after it (a
// time-out in the field) has an empty answer: the replay stays silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "monitor/line_entry.h"

namespace sim {

struct ReplayAnswer {
  std::vector<uint8_t> bytes;  // as they came; empty: no reply came
  double delay = 0;            // seconds from the request to the first byte
};

class ReplayScript {
 public:
  explicit ReplayScript(const std::vector<monitor::LineEntry>& entries);

  // The recorded answers to `order`'s requests, first first; empty for an
  // order the trace never sent.
  const std::vector<ReplayAnswer>& Answers(int order) const;
  // Requests in the trace, and of how many orders.
  size_t RequestCount() const { return requests_; }
  size_t OrderCount() const { return answers_.size(); }

 private:
  std::map<int, std::vector<ReplayAnswer>> answers_;
  size_t requests_ = 0;
};

// Reads the trace file at `path` into *script. False when the file cannot be
// read or is not a trace; *error then names the file and the line at fault. A
// path that is no regular file (a folder, a named pipe, a device) is refused
// without opening it, so a pipe cannot hold the simulator up.
bool LoadReplayScript(const std::string& path, std::shared_ptr<const ReplayScript>* script,
                      std::string* error);

}  // namespace sim
