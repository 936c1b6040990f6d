#include "cli/sensors_file.h"

#include <sstream>

namespace cli {
namespace {

bool NameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

}  // namespace

SensorsFileResult ParseSensorsFile(std::string_view text) {
  SensorsFileResult result;
  int lineNo = 0;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    ++lineNo;
    const auto fail = [&](const std::string& what) {
      result.error = "line " + std::to_string(lineNo) + ": " + what;
      result.sensors.clear();
      return result;
    };
    std::istringstream words(line);
    std::string name, port, more;
    if (!(words >> name) || name[0] == '#') continue;
    if (!(words >> port)) return fail("expected a name and a port");
    if (words >> more) return fail("expected a name and a port, found more after '" + port + "'");
    for (const char c : name) {
      if (!NameCharacter(c))
        return fail("a name takes letters, digits, '.', '_' and '-', not '" + name + "'");
    }
    for (const SensorEntry& earlier : result.sensors) {
      if (earlier.name == name) return fail("the name '" + name + "' is given twice");
    }
    result.sensors.push_back({name, port});
  }
  if (result.sensors.empty()) {
    result.error = "no sensor in the file";
    return result;
  }
  result.ok = true;
  return result;
}

std::string ForSensor(std::string pattern, const std::string& name) {
  constexpr std::string_view kMark = "{name}";
  for (size_t at = pattern.find(kMark); at != std::string::npos;
       at = pattern.find(kMark, at + name.size())) {
    pattern.replace(at, kMark.size(), name);
  }
  return pattern;
}

}  // namespace cli
