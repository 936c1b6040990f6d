// The serial channel's OS layer on POSIX systems: stat() before open, FIONREAD
// for the bytes the kernel holds, the terminal's minimum count for the frame
// hold, the Linux serial driver's low-latency flag, and the keep-alive of a
// network port's socket.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "runtime/rs232.h"
#include "runtime/serial/serial_channel.h"
#include "runtime/serial/serial_os.h"

std::string SerialDevicePath(const std::string& name) {
  return (name.empty() || name[0] == '/') ? name : "/dev/" + name;
}

// Symlinks are followed (the simulator publishes its device as one).
int CheckSerialDevice(const std::string& device, std::string* reason) {
  struct stat st {};
  if (stat(device.c_str(), &st) != 0) {
    *reason = std::strerror(errno);
    if (errno == ENOENT || errno == ENOTDIR) return RS232_NO_SERIAL_PORT;
    if (errno == EACCES || errno == EPERM) return RS232_CANNOT_OPEN_PORT;
    return RS232_UNKNOWN_SYSTEM_ERROR;
  }
  if (!S_ISCHR(st.st_mode)) {
    *reason = "not a serial device";
    return RS232_NO_SERIAL_PORT;
  }
  return 0;
}

bool SerialOsCountsInput() {
  return true;
}

long SerialOsInputQueued(const QSerialPort& port) {
  int queued = 0;
  if (ioctl(static_cast<int>(port.handle()), FIONREAD, &queued) != 0) return 0;
  return std::max(queued, 0);
}

std::string SerialDeviceRealPath(const std::string& device) {
  char resolved[PATH_MAX];
  if (device.empty() || realpath(SerialDevicePath(device).c_str(), resolved) == nullptr) return "";
  return resolved;
}

namespace {

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// The serial number of the USB device a tty belongs to: sysfs puts the tty
// under its USB interface, and the USB device above that carries `serial`
// beside `idVendor`. A tty on no USB device (a UART, a pseudo-terminal) has none.
std::string UsbSerialOf(const std::string& realPath) {
  const size_t slash = realPath.rfind('/');
  const std::string name = realPath.substr(slash == std::string::npos ? 0 : slash + 1);
  char resolved[PATH_MAX];
  if (name.empty() || realpath(("/sys/class/tty/" + name + "/device").c_str(), resolved) == nullptr)
    return "";
  for (std::string dir = resolved; dir.size() > std::strlen("/sys/devices");
       dir.erase(dir.rfind('/'))) {
    if (access((dir + "/idVendor").c_str(), F_OK) == 0) return ReadFirstLine(dir + "/serial");
  }
  return "";
}

}  // namespace

SerialDeviceIdentity SerialDeviceIdentityOf(const std::string& device) {
  SerialDeviceIdentity identity{SerialDeviceRealPath(device), 0, 0, ""};
  struct stat st {};
  if (identity.realPath.empty() || stat(identity.realPath.c_str(), &st) != 0) return identity;
  identity.number = static_cast<unsigned long long>(st.st_rdev);
  // Unix98 pseudo-terminal slaves (majors 136 to 143): the node is made with
  // the terminal, so its change time is the terminal's own.
  if (major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143)
    identity.instance =
        static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
  identity.usbSerial = g_serialChannelSeams.usbSerial != nullptr
                           ? g_serialChannelSeams.usbSerial(identity)
                           : UsbSerialOf(identity.realPath);
  return identity;
}

bool SerialOsClaimDevice(long long handle) {
  // flock, not the lock file QSerialPort makes from the name: a symlink and the
  // device's own name lead to one inode, and so to one lock.
  if (flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0) return true;
  return errno != EWOULDBLOCK;
}

bool SerialDeviceAccessDenied(const std::string& device) {
  const std::string path = SerialDevicePath(device);
  return !path.empty() && access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

bool SerialOsWakeAtCount(const QSerialPort& port, int count) {
  const int fd = static_cast<int>(port.handle());
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  // The port is opened non-blocking with VTIME 0, so the minimum count changes
  // only when poll() reports input, never what a read returns.
  tio.c_cc[VMIN] = static_cast<cc_t>(std::clamp(count > 1 ? count : 0, 0, 255));
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

void SerialOsAskLowLatency(const QSerialPort& port) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
  // An FTDI adapter otherwise holds a short reply for its latency timer (16 ms
  // by default) before it sends it over USB. Terminals without a serial driver
  // (a pseudo-terminal) refuse with ENOTTY or EINVAL: nothing to change there.
  const int fd = static_cast<int>(port.handle());
  serial_struct info{};
  if (ioctl(fd, TIOCGSERIAL, &info) != 0) return;
  if ((info.flags & ASYNC_LOW_LATENCY) != 0) return;
  info.flags |= ASYNC_LOW_LATENCY;
  ioctl(fd, TIOCSSERIAL, &info);
#else
  (void)port;
#endif
}

void NetOsDetectSilentServer(long long descriptor) {
  const int fd = static_cast<int>(descriptor);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
  // Quiet for 2 s, then a probe a second: two unanswered ones end it at 4 s.
  const int idle = 2, interval = 1, count = 2;
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#endif
#if defined(TCP_USER_TIMEOUT)
  // A request the server never acknowledges (keep-alive waits while data is
  // unacknowledged) ends the connection as soon.
  const unsigned int limitMs = (kNetLossSeconds - 1) * 1000;
  setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &limitMs, sizeof limitMs);
#endif
}
