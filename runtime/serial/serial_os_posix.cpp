// The serial channel's OS layer on POSIX systems: stat() before open, FIONREAD
// for the bytes the kernel holds.
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime/rs232.h"
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

bool SerialDeviceAccessDenied(const std::string& device) {
  const std::string path = SerialDevicePath(device);
  return !path.empty() && access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}
