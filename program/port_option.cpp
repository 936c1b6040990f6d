#include "program/port_option.h"

namespace {

constexpr int kPortCount = 10;

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

bool ParsePortOption(std::string_view text, PortOption* out, std::string* error) {
  *out = PortOption{};
  const std::string_view digits = IsComPrefix(text) ? text.substr(3) : text;
  if (!AllDigits(digits)) {
    if (text.empty()) {
      *error = "--port needs a port number, a device or a URL";
      return false;
    }
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
