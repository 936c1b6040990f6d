#include "watch/run_statistics.h"

#include <cmath>

#include "watch/decimal.h"

namespace watch {

bool InsideBand(uint16_t value, uint16_t teach, uint16_t tolerance) {
  const int32_t low = static_cast<int32_t>(teach) - tolerance;
  const int32_t high = static_cast<int32_t>(teach) + tolerance;
  return value >= low && value <= high;
}

void RunStatistics::AddFrame(double seconds, uint16_t value, uint16_t teach, uint16_t tolerance) {
  ++frames_;
  if (frames_ == 1) {
    firstSeconds_ = seconds;
    min_ = value;
    max_ = value;
  }
  lastSeconds_ = seconds;
  if (value < min_) min_ = value;
  if (value > max_) max_ = value;
  // Welford: the running mean and squared deviations stay exact in magnitude
  // over long Runs, where a sum of squares would cancel.
  const double delta = value - mean_;
  mean_ += delta / static_cast<double>(frames_);
  squares_ += delta * (value - mean_);
  if (InsideBand(value, teach, tolerance)) ++inside_;
}

void RunStatistics::AddTimeout() {
  ++timeouts_;
}

void RunStatistics::Reset() {
  *this = RunStatistics();
}

double RunStatistics::FramesPerSecond() const {
  const double span = lastSeconds_ - firstSeconds_;
  if (frames_ < 2 || !(span > 0.0)) return 0.0;
  return static_cast<double>(frames_ - 1) / span;
}

double RunStatistics::StandardDeviation() const {
  if (frames_ < 2) return 0.0;
  return std::sqrt(squares_ / static_cast<double>(frames_ - 1));
}

std::string RunStatistics::Text() const {
  std::string text = std::to_string(frames_) + (frames_ == 1 ? " frame, " : " frames, ") +
                     FixedDecimal(FramesPerSecond(), 2) + " per second, " +
                     std::to_string(timeouts_) + (timeouts_ == 1 ? " time-out" : " time-outs");
  if (frames_ == 0) return text;
  return text + "; measured value min " + std::to_string(min_) + ", max " + std::to_string(max_) +
         ", mean " + FixedDecimal(mean_, 2) + ", deviation " +
         FixedDecimal(StandardDeviation(), 2) + "; " + std::to_string(inside_) +
         " inside the band, " + std::to_string(Outside()) + " outside";
}

}  // namespace watch
