// Port numbers to device paths.
#include <cstdlib>
#include <string>

#include "runtime/rs232.h"

namespace {

// Returned texts must outlive the call; one buffer per port keeps a caller that
// asks for two ports in a row from seeing the first text overwritten.
std::string g_devicePath[COM_PORT_COUNT + 1];

std::string DefaultDevice(int port) {
#ifdef _WIN32
  return "\\\\.\\COM" + std::to_string(port);
#else
  // On-board UARTs first, then USB adapters, then USB modems (CDC-ACM), which
  // is where real adapters for the sensor turn up.
  if (port <= 4) return "/dev/ttyS" + std::to_string(port - 1);
  if (port <= 8) return "/dev/ttyUSB" + std::to_string(port - 5);
  return "/dev/ttyACM" + std::to_string(port - 9);
#endif
}

}  // namespace

const char* ComPortDevice(int port) {
  if (port < 1 || port > COM_PORT_COUNT) return "";
  const std::string variable = "VANTREL_COM" + std::to_string(port);
  const char* chosen = std::getenv(variable.c_str());
  g_devicePath[port] = (chosen != nullptr && chosen[0] != '\0') ? chosen : DefaultDevice(port);
  return g_devicePath[port].c_str();
}
