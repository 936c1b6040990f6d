#include "tests/support/wait.h"

#include "runtime/userint.h"
#include "runtime/utility.h"

bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const double start = Timer();
  while (!done()) {
    if (Timer() - start > seconds) return done();
    ProcessSystemEvents();
  }
  return true;
}

void ProcessEventsFor(double seconds) {
  const double start = Timer();
  while (Timer() - start <= seconds) ProcessSystemEvents();
}
