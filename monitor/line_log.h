// The line monitor's record: turns what the serial tap reports (bytes sent and
// received with their times, flushes, the notification, the port's life) into
// entries, newest last, at most `capacity` of them (the oldest go first).
//
// A request's time is when its last byte went; its reply's when the first
// byte of the reply arrived; the difference is the response time. Bytes
// arriving after a request are gathered into its reply until the reply's
// length is reached; more bytes before the next request, a flush or the
// port's end show as a reply of their own (trailing or stray bytes). A reply
// not complete within the order's limit gives a time-out entry at request
// time + limit (seen at the next report or Tick). Times in are seconds on any
// one monotonic clock; entries count milliseconds from the last opening.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "monitor/line_entry.h"

namespace monitor {

class LineLog {
 public:
  explicit LineLog(size_t capacity = 10000);

  void Opened(double seconds, const std::string& device);
  void Closed(double seconds);
  void Lost(double seconds, const std::string& reason);
  void Sent(double seconds, const uint8_t* bytes, int count);
  void Received(double seconds, const uint8_t* bytes, int count);
  void InputFlushed(double seconds, const uint8_t* bytes, int count);
  void OutputFlushed(double seconds, int discarded);
  void NotifyInstalled(double seconds, int mask);
  void NotifyRemoved(double seconds);
  // Emits a time-out that is due by `seconds`.
  void Tick(double seconds);

  // Entries as they are now, oldest first.
  const std::deque<LineEntry>& Entries() const { return entries_; }
  size_t Capacity() const { return capacity_; }
  // Entries appended since the log began (those dropped for room included).
  uint64_t Appended() const { return appended_; }
  // Called with every entry as it is appended (a trace file, the link light).
  void SetListener(std::function<void(const LineEntry&)> listener);

 private:
  // The last request and the state of its reply (order 0: none).
  struct Exchange {
    int order = 0;
    double sentSeconds = 0.0;
    double sentMs = 0.0;
    size_t expected = 0;    // bytes of the reply it awaits (0: none)
    double limitMs = 0.0;   // the sender's limit for them
    int blockStart = 0;     // order 9: the block its reply carries
    bool awaiting = false;  // its reply is not whole yet
    bool timedOut = false;  // the time-out entry was given
  };

  double Ms(double seconds);
  void Due(double seconds);
  void FlushPending();
  void EndExchange();
  void Append(LineEntry entry);
  void AppendEvent(double seconds, EntryKind kind, int value = 0, const std::string& text = "");

  bool haveOrigin_ = false;
  double origin_ = 0.0;  // seconds of the last opening (or the first report)
  Exchange exchange_;
  // Bytes received and not yet an entry: the awaited reply being gathered,
  // or bytes that answer nothing (stray).
  std::vector<uint8_t> pending_;
  double pendingSeconds_ = 0.0;  // when the first of them arrived
  bool pendingIsReply_ = false;

  size_t capacity_;
  std::deque<LineEntry> entries_;
  uint64_t appended_ = 0;
  std::function<void(const LineEntry&)> listener_;
};

}  // namespace monitor
