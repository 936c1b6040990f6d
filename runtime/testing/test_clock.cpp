// The test clock: while it is set, it overrides the engine's clock.
#include <functional>
#include <utility>

#include "runtime/testing/inspect.h"
#include "runtime/time/clock_override.h"

namespace {

bool g_set = false;
double g_now = 0.0;
double g_step = 0.0;
std::function<void(double)> g_onRead;

double TestTime() {
  const double now = g_now;
  g_now += g_step;
  if (g_onRead) g_onRead(now);
  return now;
}

}  // namespace

void SetTestTimer(double seconds, double stepPerRead) {
  g_now = seconds;
  g_step = stepPerRead;
  g_set = true;
  SetClockOverride(&TestTime);
}

void AdvanceTestTimer(double seconds) {
  g_now += seconds;
}

void OnTestTimerRead(std::function<void(double)> hook) {
  g_onRead = std::move(hook);
}

void ReleaseTestTimer() {
  SetClockOverride(nullptr);
  g_set = false;
  g_step = 0.0;
  g_onRead = nullptr;
}

int TestTimerIsSet() {
  return g_set ? 1 : 0;
}
