// The --sensors file: a machine's sensors, one a line, a name and its port
// ("press-left COM3", "feeder /dev/serial/by-id/usb-FTDI_A1-if00-port0").
// Blank lines and lines whose first non-blank character is '#' are skipped.
// Pure: text in, sensors out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct SensorEntry {
  std::string name;  // letters, digits, '.', '_', '-'
  std::string port;  // as --port takes it
};

struct SensorsFileResult {
  bool ok = false;
  std::vector<SensorEntry> sensors;
  std::string error;  // "line 3: ..." when !ok
};

// Refuses a line that is not a name and a port, a name with other characters,
// a name given twice and a file without any sensor.
SensorsFileResult ParseSensorsFile(std::string_view text);

// `pattern` with every "{name}" replaced by `name`.
std::string ForSensor(std::string pattern, const std::string& name);

}  // namespace cli
