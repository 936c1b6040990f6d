// The one clock of the simulator: seconds on std::chrono::steady_clock
// (CLOCK_MONOTONIC on Linux), as a double, so that other processes and test
// code can compare with it.
#pragma once

#include <chrono>

namespace sim {

inline double MonotonicNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace sim
