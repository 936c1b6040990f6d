// The engine's clock: monotonic seconds, usable before the engine starts.
#include <chrono>

#include "runtime/utility.h"

double Timer() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  return std::chrono::duration<double>(Clock::now() - start).count();
}
