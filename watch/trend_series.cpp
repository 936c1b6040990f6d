#include "watch/trend_series.h"

#include <algorithm>

#include "watch/run_statistics.h"

namespace watch {

TrendSeries::TrendSeries(size_t capacity) : ring_(std::max<size_t>(capacity, 1)) {}

void TrendSeries::Add(double seconds, uint16_t value, uint16_t teach, uint16_t tolerance) {
  const TrendPoint point{seconds, value, teach, tolerance, InsideBand(value, teach, tolerance)};
  if (size_ < ring_.size()) {
    ring_[(head_ + size_) % ring_.size()] = point;
    ++size_;
  } else {
    ring_[head_] = point;
    head_ = (head_ + 1) % ring_.size();
  }
}

void TrendSeries::Clear() {
  head_ = 0;
  size_ = 0;
}

const TrendPoint& TrendSeries::At(size_t i) const {
  return ring_[(head_ + i) % ring_.size()];
}

// The first frame at or after `seconds` (after it, with `after`): the frames
// are in time order, so a binary search over the ring's indices.
size_t TrendSeries::LowerBound(double seconds, bool after) const {
  size_t low = 0, high = size_;
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    const double t = At(mid).seconds;
    if (t < seconds || (after && t == seconds))
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

TrendSeries::Span TrendSeries::Within(double from, double to) const {
  if (to < from) return Span{};
  return Span{LowerBound(from, false), LowerBound(to, true)};
}

bool TrendSeries::Extent(Span span, double* low, double* high) const {
  if (span.first >= span.end) return false;
  *low = *high = At(span.first).value;
  for (size_t i = span.first; i < span.end; ++i) {
    const TrendPoint& p = At(i);
    *low = std::min({*low, static_cast<double>(p.value), double(p.teach) - p.tolerance});
    *high = std::max({*high, static_cast<double>(p.value), double(p.teach) + p.tolerance});
  }
  return true;
}

}  // namespace watch
