// The --port option of the desktop program: a port number ("COM3", "com3",
// "3"), else a device as VANTREL_COM<n> takes it (a path, a name in /dev, or a
// network port's URL), which COM1 is then mapped to. Pure.
#pragma once

#include <string>
#include <string_view>

struct PortOption {
  int number = 1;      // the port the program starts on
  std::string device;  // given instead of a number: the port is mapped to it
};

// A number outside 1..10 is refused with the reason.
bool ParsePortOption(std::string_view text, PortOption* out, std::string* error);
