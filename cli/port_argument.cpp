#include "cli/port_argument.h"

namespace cli {
namespace {

bool AllDigits(std::string_view text) {
  if (text.empty() || text.size() > 6) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsComPrefix(std::string_view text) {
  return text.size() > 3 && (text[0] == 'C' || text[0] == 'c') &&
         (text[1] == 'O' || text[1] == 'o') && (text[2] == 'M' || text[2] == 'm');
}

}  // namespace

bool ParsePortArgument(std::string_view text, PortArgument* out, std::string* error) {
  *out = PortArgument{};
  if (text.empty()) return true;
  const std::string_view digits = IsComPrefix(text) ? text.substr(3) : text;
  if (!AllDigits(digits)) {
    out->device = std::string(text);
    return true;
  }
  const int number = std::stoi(std::string(digits));
  if (number < 1 || number > kPortCount) {
    *error = "port " + std::string(text) + ": the ports are COM1 to COM" +
             std::to_string(kPortCount) + " (or give the device)";
    return false;
  }
  out->number = number;
  return true;
}

std::string PortName(const PortArgument& port) {
  return port.device.empty() ? "COM" + std::to_string(port.number) : port.device;
}

std::string PortLabel(const PortArgument& port, const std::string& device) {
  if (!port.device.empty() || device.empty()) return PortName(port);
  return PortName(port) + " (" + device + ")";
}

}  // namespace cli
