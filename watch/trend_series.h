// The trend's data: the newest measurement frames of a Run in a ring, oldest
// first, with what a plot of them needs: the frames within a time window and
// the range of values and band limits they cover. Pure; fed by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace watch {

// Five minutes at a little over 30 frames a second.
constexpr size_t kTrendCapacity = 10000;

struct TrendPoint {
  double seconds = 0.0;                          // of the Run
  uint16_t value = 0, teach = 0, tolerance = 0;  // as the sensor reported them in the frame
  bool inside = false;                           // InsideBand(value, teach, tolerance)
};

class TrendSeries {
 public:
  explicit TrendSeries(size_t capacity = kTrendCapacity);

  // Adds a frame; `seconds` does not decrease within a Run. A full ring drops
  // its oldest frame.
  void Add(double seconds, uint16_t value, uint16_t teach, uint16_t tolerance);
  void Clear();

  size_t Size() const { return size_; }
  size_t Capacity() const { return ring_.size(); }
  // The `i`th frame kept, 0 the oldest; i < Size().
  const TrendPoint& At(size_t i) const;

  // The frames with from <= seconds <= to: indices [first, end) for At().
  struct Span {
    size_t first = 0, end = 0;
  };
  Span Within(double from, double to) const;

  // The lowest and highest of the values and band limits (teach -/+ tolerance,
  // which may reach below 0) over the frames of `span`; false when it is empty.
  bool Extent(Span span, double* low, double* high) const;

 private:
  size_t LowerBound(double seconds, bool after) const;

  std::vector<TrendPoint> ring_;
  size_t head_ = 0;  // index of the oldest frame in ring_
  size_t size_ = 0;
};

}  // namespace watch
