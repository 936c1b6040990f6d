#include "tests/support/wait.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>

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

void SendMarker(const std::string& device) {
  uint8_t request[kMarkerBytes] = {0x00, 0x55, 0x00, kMarkerOrder};
  request[kMarkerBytes - 2] = request[kMarkerBytes - 1] = 0xFF;
  const int fd = open(device.c_str(), O_WRONLY | O_NOCTTY);
  if (fd < 0 || write(fd, request, sizeof request) != static_cast<ssize_t>(sizeof request))
    ADD_FAILURE() << "cannot write the marker on " << device;
  if (fd >= 0) close(fd);
}
