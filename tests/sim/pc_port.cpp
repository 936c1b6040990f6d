#include "tests/sim/pc_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sim/clock.h"

double Now() {
  return sim::MonotonicNow();
}

PcPort::PcPort(const std::string& device) {
  fd_ = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = device + ": " + std::strerror(errno);
    return;
  }
  termios tio{};
  if (tcgetattr(fd_, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
  }
}

PcPort::~PcPort() {
  Close();
}

void PcPort::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool PcPort::Write(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return done == bytes.size();
}

std::vector<uint8_t> PcPort::Read(size_t count, double seconds) {
  std::vector<uint8_t> got;
  const double deadline = Now() + seconds;
  while (fd_ >= 0 && got.size() < count) {
    uint8_t chunk[512];
    const ssize_t n = read(fd_, chunk, std::min(sizeof chunk, count - got.size()));
    if (n > 0) {
      got.insert(got.end(), chunk, chunk + n);
      continue;
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) break;  // hung up
    const double left = deadline - Now();
    if (left <= 0) break;
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left * 1000) + 1) > 0 && (pfd.revents & POLLHUP) &&
        !(pfd.revents & POLLIN)) {
      break;
    }
  }
  return got;
}

std::vector<uint8_t> PcPort::ReadSome(size_t max, double seconds) {
  pollfd pfd{fd_, POLLIN, 0};
  if (fd_ < 0 || poll(&pfd, 1, static_cast<int>(seconds * 1000) + 1) <= 0) return {};
  std::vector<uint8_t> got(max);
  const ssize_t n = read(fd_, got.data(), max);
  got.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return got;
}

bool PcPort::WaitForHangUp(double seconds) {
  const double deadline = Now() + seconds;
  while (fd_ >= 0) {
    pollfd pfd{fd_, POLLIN, 0};
    const double left = deadline - Now();
    if (left <= 0) return false;
    if (poll(&pfd, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
    if (pfd.revents & (POLLHUP | POLLERR)) return true;
    uint8_t byte;
    const ssize_t n = read(fd_, &byte, 1);
    if (n == 0 || (n < 0 && errno == EIO)) return true;
  }
  return false;
}
