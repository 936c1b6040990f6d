// What the serial channel asks of the operating system beyond QSerialPort.
// Private to the engine's serial channel.
//
// One implementation per build, chosen by CMake (VANTREL_SERIAL_PORTABLE):
// serial_os_posix.cpp asks the kernel directly; serial_os_portable.cpp asks it
// nothing and leaves every check to QSerialPort, so a build for another OS
// needs no code of its own here.
#pragma once

#include <QSerialPort>
#include <string>

// The device path for the name a port is opened with. On POSIX a bare name
// ("ttyUSB0") means the device of that name in /dev; the portable layer hands
// the name on as it is (QSerialPort resolves bare names itself).
std::string SerialDevicePath(const std::string& name);

// Looks at `device` before it is opened, because the serial library reports
// "not a directory", "is a directory" and the like only as unknown errors.
// Returns 0, or an RS232_ code with the reason in *reason. The portable layer
// checks nothing (returns 0): QSerialPort's own open error is mapped instead.
int CheckSerialDevice(const std::string& device, std::string* reason);

// Whether this layer can count the bytes the OS holds for an open port. The
// channel's frame hold leaves bytes there, so it runs only where they can be
// seen.
bool SerialOsCountsInput();

// Bytes the OS holds for the open `port` that the port has not taken in yet;
// 0 when it cannot tell.
long SerialOsInputQueued(const QSerialPort& port);

// The device's path with every symlink resolved (/dev/serial/by-id/... ->
// /dev/ttyUSB0); "" when it does not exist.
std::string SerialDeviceRealPath(const std::string& device);

// What tells one serial device from another, whatever path leads to it.
struct SerialDeviceIdentity {
  std::string realPath;       // symlinks resolved; "" when absent
  unsigned long long number;  // the device number (major and minor); 0 unknown
  // A pseudo-terminal's number is handed to the next one made, in any
  // process: its creation time (ns) tells them apart. 0 for other devices.
  long long instance;
  std::string usbSerial;  // the USB adapter's serial number; "" none or unknown
};

// The identity of the device `device` leads to now. The portable layer knows
// only the real path.
SerialDeviceIdentity SerialDeviceIdentityOf(const std::string& device);

// Claims the device open on `handle` (a QSerialPort's handle) for its holder
// alone: an exclusive lock on the device itself, not on the name it was opened
// by, which the system holds across processes and drops when the handle is
// closed. False when another holder, in this program or another, has it; a
// system that cannot lock the device does not refuse it (true). The portable
// layer claims nothing (true): QSerialPort's lock by name is all there is.
bool SerialOsClaimDevice(long long handle);

// True when `device` exists but this user may not open it for reading and
// writing (EACCES). The portable layer cannot tell: false.
bool SerialDeviceAccessDenied(const std::string& device);

// Lets a poll on the open `port` report input only once the OS holds `count`
// bytes (the terminal's minimum count); count <= 1 reports it at the first byte
// again. Reads are unaffected: the port is non-blocking and a read takes what
// is there. Returns false where the OS cannot do it.
bool SerialOsWakeAtCount(const QSerialPort& port, int count);

// Asks the driver to hand received bytes over at once rather than collect them
// (a USB adapter's latency timer), where the driver knows such a setting; a
// device without one (a pseudo-terminal) is left as it is, silently.
void SerialOsAskLowLatency(const QSerialPort& port);

// Has the connected TCP socket `descriptor` of a network port find a server
// that went silent (its host switched off, its cable pulled) within
// kNetLossSeconds: keep-alive probes after 2 s without traffic, and a limit
// on data left unacknowledged. Where the OS has no such settings the
// system's own (much longer) keep-alive applies.
constexpr int kNetLossSeconds = 5;
void NetOsDetectSilentServer(long long descriptor);
