// The serial channel's OS layer for builds that use QSerialPort alone (no
// POSIX calls): nothing is checked or counted beyond what the port reports.
// What that costs: a path that is no serial device is reported by the port's
// own open error, and the input queue counts only what the port has taken in
// (the channel pulls that in first, so the difference is bytes arriving at
// that very moment); the channel runs without its frame hold.
#include "runtime/serial/serial_os.h"

#include <QFileInfo>

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

std::string SerialDeviceRealPath(const std::string& device) {
  const QFileInfo info(QString::fromLocal8Bit(device.c_str()));
  return info.exists() ? info.canonicalFilePath().toLocal8Bit().toStdString() : std::string();
}

SerialDeviceIdentity SerialDeviceIdentityOf(const std::string& device) {
  return {SerialDeviceRealPath(device), 0, 0, ""};
}

bool SerialOsClaimDevice(long long) {
  return true;
}

bool SerialDeviceAccessDenied(const std::string&) {
  return false;
}

bool SerialOsWakeAtCount(const QSerialPort&, int) {
  return false;
}

void SerialOsAskLowLatency(const QSerialPort&) {}

void NetOsDetectSilentServer(long long /*descriptor*/) {}
