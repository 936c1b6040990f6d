// The serial channel's OS layer for builds that use QSerialPort alone (no
// POSIX calls): nothing is checked or counted beyond what the port reports.
// What that costs: a path that is no serial device is reported by the port's
// own open error, and the input queue counts only what the port has taken in
// (the channel pulls that in first, so the difference is bytes arriving at
// that very moment); the channel runs without its frame hold.
#include "runtime/serial/serial_os.h"

std::string SerialDevicePath(const std::string& name) {
  return name;
}

int CheckSerialDevice(const std::string&, std::string*) {
  return 0;
}

bool SerialOsCountsInput() {
  return false;
}

long SerialOsInputQueued(const QSerialPort&) {
  return 0;
}

bool SerialOsWakeAtCount(const QSerialPort&, int) {
  return false;
}

void SerialOsAskLowLatency(const QSerialPort&) {}
