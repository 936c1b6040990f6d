#include "tests/support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

double Now() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

std::string Reason(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

PtyPair::PtyPair(const std::string& linkPath) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) {
    error_ = Reason("posix_openpt");
    return;
  }
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    error_ = Reason("grantpt/unlockpt");
    return;
  }
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) {
    error_ = Reason("ptsname_r");
    return;
  }
  slavePath_ = name;
  slaveKeeper_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slaveKeeper_ < 0) {
    error_ = Reason("open slave");
    return;
  }
  // Raw on the slave: the line discipline would otherwise echo the engine's
  // writes back to it and translate CR/LF bytes inside binary frames.
  termios tio{};
  if (tcgetattr(slaveKeeper_, &tio) != 0) {
    error_ = Reason("tcgetattr");
    return;
  }
  cfmakeraw(&tio);
  if (tcsetattr(slaveKeeper_, TCSANOW, &tio) != 0) {
    error_ = Reason("tcsetattr");
    return;
  }
  const int flags = fcntl(master_, F_GETFL);
  fcntl(master_, F_SETFL, flags | O_NONBLOCK);
  if (!linkPath.empty()) {
    unlink(linkPath.c_str());
    if (symlink(name, linkPath.c_str()) != 0) {
      error_ = Reason("symlink");
      return;
    }
    linkPath_ = linkPath;
  }
}

PtyPair::~PtyPair() {
  CloseMaster();
  if (!linkPath_.empty()) unlink(linkPath_.c_str());
}

bool PtyPair::Write(const std::vector<uint8_t>& bytes) {
  return Write(bytes.data(), bytes.size());
}

bool PtyPair::Write(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  const double deadline = Now() + 5.0;
  while (size > 0) {
    if (master_ < 0) return false;
    const ssize_t n = write(master_, p, size);
    if (n > 0) {
      p += n;
      size -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    // The slave's input queue is full: wait until the engine reads.
    const double left = deadline - Now();
    if (left <= 0) return false;
    pollfd pfd{master_, POLLOUT, 0};
    poll(&pfd, 1, static_cast<int>(left * 1000) + 1);
  }
  return true;
}

std::vector<uint8_t> PtyPair::Read(size_t count, double seconds) {
  std::vector<uint8_t> got;
  const double deadline = Now() + seconds;
  while (master_ >= 0 && got.size() < count) {
    uint8_t chunk[4096];
    const size_t want = std::min(count - got.size(), sizeof chunk);
    const ssize_t n = read(master_, chunk, want);
    if (n > 0) {
      got.insert(got.end(), chunk, chunk + n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    const double left = deadline - Now();
    if (left <= 0) break;
    pollfd pfd{master_, POLLIN, 0};
    poll(&pfd, 1, static_cast<int>(left * 1000) + 1);
  }
  return got;
}

std::vector<uint8_t> PtyPair::ReadAvailable() {
  return Read(SIZE_MAX, 0.0);
}

int PtyPair::SlaveInputQueued() const {
  int queued = 0;
  if (slaveKeeper_ < 0 || ioctl(slaveKeeper_, FIONREAD, &queued) != 0) return -1;
  return queued;
}

void PtyPair::CloseMaster() {
  if (slaveKeeper_ >= 0) close(slaveKeeper_);
  slaveKeeper_ = -1;
  if (master_ >= 0) close(master_);
  master_ = -1;
}
