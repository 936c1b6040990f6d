// The engine's clock: monotonic seconds, usable before the engine starts.
//
// Tests can take the clock over (see inspect.h): while a test time is set,
// Timer() reports it instead of the real clock, so the limits of the reply
// waits (strictly greater than 1.5 s, a limit reached exactly) can be tested
// without sleeping. The program itself never sets it.
#include <chrono>
#include <functional>
#include <utility>

#include "runtime/testing/inspect.h"
#include "runtime/utility.h"

namespace {
bool g_testClockSet = false;
double g_testNow = 0.0;
double g_testStep = 0.0;
std::function<void(double)> g_onRead;
}  // namespace

double Timer() {
  if (g_testClockSet) {
    const double now = g_testNow;
    g_testNow += g_testStep;
    if (g_onRead) g_onRead(now);
    return now;
  }
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void SetTestTimer(double seconds, double stepPerRead) {
  g_testClockSet = true;
  g_testNow = seconds;
  g_testStep = stepPerRead;
}

void AdvanceTestTimer(double seconds) {
  g_testNow += seconds;
}

void OnTestTimerRead(std::function<void(double)> hook) {
  g_onRead = std::move(hook);
}

void ReleaseTestTimer() {
  g_testClockSet = false;
  g_testStep = 0.0;
  g_onRead = nullptr;
}

int TestTimerIsSet() {
  return g_testClockSet ? 1 : 0;
}
