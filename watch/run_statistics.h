// Statistics of one Run: the measurement frames received and the time-outs,
// the measured value's range, mean and spread, and how many frames lay inside
// the tolerance band the sensor reported with them. Pure; fed by the caller.
#pragma once

#include <cstdint>
#include <string>

namespace watch {

// Whether `value` lies in teach - tolerance .. teach + tolerance, both limits
// included. Worked in signed integers: the band may reach below 0 (tolerance
// larger than teach) or above 65535.
bool InsideBand(uint16_t value, uint16_t teach, uint16_t tolerance);

class RunStatistics {
 public:
  // One measurement frame: its time in seconds (any origin, non-decreasing
  // across the Run) and the words as the sensor reported them in that frame.
  void AddFrame(double seconds, uint16_t value, uint16_t teach, uint16_t tolerance);
  // A reply that did not come within its limit.
  void AddTimeout();
  // Everything back to zero, for a new Run.
  void Reset();

  int64_t Frames() const { return frames_; }
  int64_t Timeouts() const { return timeouts_; }
  // Frames per second between the first and the latest frame: (frames - 1)
  // over that time; 0 before two frames or when no time has passed.
  double FramesPerSecond() const;
  // Of the measured value; all 0 before the first frame.
  uint16_t Min() const { return min_; }
  uint16_t Max() const { return max_; }
  double Mean() const { return mean_; }
  // Sample standard deviation (n - 1); 0 before two frames.
  double StandardDeviation() const;
  int64_t Inside() const { return inside_; }
  int64_t Outside() const { return frames_ - inside_; }

  // One line for a screen reader, two decimals for the rate, the mean and the
  // deviation, '.' as the decimal point:
  // "12 frames, 9.50 per second, 1 time-out; measured value min 498, max 503,
  //  mean 500.25, deviation 1.42; 11 inside the band, 1 outside"
  // (no value part before the first frame).
  std::string Text() const;

 private:
  int64_t frames_ = 0;
  int64_t timeouts_ = 0;
  int64_t inside_ = 0;
  double firstSeconds_ = 0.0;
  double lastSeconds_ = 0.0;
  uint16_t min_ = 0;
  uint16_t max_ = 0;
  double mean_ = 0.0;
  double squares_ = 0.0;  // Welford's sum of squared deviations from the mean
};

}  // namespace watch
