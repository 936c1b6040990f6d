// Port numbers to device paths.
#include "runtime/serial/port_map.h"

#include <cstdlib>
#include <string>

#include "runtime/rs232.h"

namespace {

// Returned texts must outlive the call; one buffer per port keeps a caller that
// asks for two ports in a row from seeing the first text overwritten.
std::string g_devicePath[COM_PORT_COUNT + 1];
// Devices given by SetComPortDevice for the rest of the session ("" none).
std::string g_sessionDevice[COM_PORT_COUNT + 1];
void (*g_mapObserver)() = nullptr;

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

const char* EnvironmentDevice(int port) {
  const std::string variable = "VANTREL_COM" + std::to_string(port);
  const char* chosen = std::getenv(variable.c_str());
  return (chosen != nullptr && chosen[0] != '\0') ? chosen : nullptr;
}

}  // namespace

const char* ComPortDevice(int port) {
  if (port < 1 || port > COM_PORT_COUNT) return "";
  if (!g_sessionDevice[port].empty()) {
    g_devicePath[port] = g_sessionDevice[port];
  } else if (const char* chosen = EnvironmentDevice(port)) {
    g_devicePath[port] = chosen;
  } else {
    g_devicePath[port] = DefaultDevice(port);
  }
  return g_devicePath[port].c_str();
}

int SetComPortDevice(int port, const char* device) {
  if (port < 1 || port > COM_PORT_COUNT) return RS232_INVALID_PORT_NUMBER;
  g_sessionDevice[port] = device != nullptr ? device : "";
  if (g_mapObserver != nullptr) g_mapObserver();
  return 0;
}

bool ComPortMappedExplicitly(int port) {
  if (port < 1 || port > COM_PORT_COUNT) return false;
  return !g_sessionDevice[port].empty() || EnvironmentDevice(port) != nullptr;
}

void SetComPortMapObserver(void (*observer)()) {
  g_mapObserver = observer;
}
