// The engine's clock: monotonic seconds, usable before the engine starts.
//
// Tests can take the clock over through its override (clock_override.h), so
// that the limits of the reply waits (strictly greater than 1.5 s, a limit
// reached exactly) can be tested without sleeping.
#include <chrono>

#include "runtime/time/clock_override.h"
#include "runtime/utility.h"

namespace {
ClockOverride g_override = nullptr;
}  // namespace

double Timer() {
  if (g_override != nullptr) return g_override();
  return RealTimer();
}

double RealTimer() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool ClockOverridden() {
  return g_override != nullptr;
}

ClockOverride SetClockOverride(ClockOverride override) {
  const ClockOverride before = g_override;
  g_override = override;
  return before;
}
