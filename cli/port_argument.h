// The --port argument, resolved in one place for every command of vantrel-cli
// and for the desktop program's --port: a port number ("COM3", "com3", "3"),
// else a device as VANTREL_COM<n> takes it (a path, a name in /dev, or a
// network port "rfc2217://HOST:PORT" or "tcp://HOST:PORT"). Pure.
#pragma once

#include <string>
#include <string_view>

namespace cli {

constexpr int kDefaultPort = 1;  // COM1, as the desktop program starts
constexpr int kPortCount = 10;   // COM1..COM10

struct PortArgument {
  int number = kDefaultPort;  // the port the program opens
  std::string device;         // given instead of a number: the port is mapped to it
};

// Empty text: COM1. A number outside 1..10 is refused with the reason.
bool ParsePortArgument(std::string_view text, PortArgument* out, std::string* error);

// How results and failures name the port: "COM3 (/dev/ttyS2)" for a number,
// the device alone when a device was given.
std::string PortLabel(const PortArgument& port, const std::string& device);
// "COM3", or the device given.
std::string PortName(const PortArgument& port);

}  // namespace cli
