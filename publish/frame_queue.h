// The measurements waiting for the broker, oldest first, held by Vantrel and
// bounded: while the broker is away (or slower than the line) the frames
// wait here, and only when the queue is full is the oldest dropped, and
// counted, to make room for the newest. Pure; the caller locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace publish {

// Frames the queue holds: about ten minutes of a paced Run (some 27 frames a
// second), a few megabytes.
constexpr size_t kQueueFrames = 16384;

class FrameQueue {
 public:
  explicit FrameQueue(size_t capacity = kQueueFrames) : capacity_(capacity) {}

  // Adds a frame at the end; when the queue is full, the oldest goes first.
  void Push(std::string payload);
  bool Empty() const { return frames_.empty(); }
  size_t Size() const { return frames_.size(); }
  // The oldest frame; only when not empty.
  const std::string& Front() const { return frames_.front(); }
  void PopFront() { frames_.pop_front(); }
  // Frames dropped because the queue was full, since it was made.
  uint64_t Dropped() const { return dropped_; }

 private:
  size_t capacity_;
  std::deque<std::string> frames_;
  uint64_t dropped_ = 0;
};

}  // namespace publish
