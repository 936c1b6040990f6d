// The reference for the Run loop's speed: the same exchange (a 36-byte
// measurement request, a 36-byte reply) done by a bare loop with plain
// poll/read/write on the same kind of pty, no Qt and no program around it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/figures.h"
#include "protocol/frame.h"
#include "protocol/orders.h"

namespace bench {

// Exchanges for `seconds` with the device at `path`; returns cycles per
// second, or -1 when the device cannot be opened or stops answering.
inline double BareExchangeRate(const std::string& path, double seconds) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return -1;
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B19200);
  tcsetattr(fd, TCSANOW, &tio);
  tcflush(fd, TCIOFLUSH);
  const std::vector<uint8_t> request = protocol::EncodeRequest(protocol::kMeasure, {});
  const size_t frame = request.size();
  const int limitMs = static_cast<int>(protocol::ReplyLimit(protocol::kMeasure) * 1000.0);
  const double start = MonotonicSeconds();
  long cycles = 0;
  double now = start;
  while (now - start < seconds) {
    if (write(fd, request.data(), frame) != static_cast<ssize_t>(frame)) break;
    uint8_t reply[64];
    size_t got = 0;
    while (got < frame) {
      pollfd pfd{fd, POLLIN, 0};
      if (poll(&pfd, 1, limitMs) <= 0) {
        close(fd);
        return -1;
      }
      const ssize_t n = read(fd, reply + got, sizeof reply - got);
      if (n <= 0) {
        close(fd);
        return -1;
      }
      got += static_cast<size_t>(n);
    }
    ++cycles;
    now = MonotonicSeconds();
  }
  close(fd);
  return static_cast<double>(cycles) / (now - start);
}

}  // namespace bench
