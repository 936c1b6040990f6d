#include "cli/summary_table.h"

#include <algorithm>

#include "cli/exit_codes.h"

namespace cli {
namespace {

const char* Kind(int exitStatus) {
  switch (exitStatus) {
    case kExitDone:
      return "ok";
    case kExitDiffer:
      return "differs";
    case kExitUsage:
      return "usage";
    case kExitLine:
      return "no answer";
    case kExitFile:
      return "file";
    case kExitPort:
      return "port";
    default:
      return "failed";
  }
}

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width - std::min(width, text.size()), ' ');
}

}  // namespace

std::string SummaryTable(const std::vector<SensorOutcome>& outcomes) {
  size_t nameWidth = 4, portWidth = 4;
  for (const SensorOutcome& o : outcomes) {
    nameWidth = std::max(nameWidth, o.name.size());
    portWidth = std::max(portWidth, o.port.size());
  }
  std::string text = Padded("name", nameWidth) + "  " + Padded("port", portWidth) + "  result\n";
  for (const SensorOutcome& o : outcomes) {
    std::string result = Kind(o.exitStatus);
    if (!o.result.empty()) result += ": " + o.result;
    text += Padded(o.name, nameWidth) + "  " + Padded(o.port, portWidth) + "  " + result + "\n";
  }
  return text;
}

int FleetExitStatus(const std::vector<SensorOutcome>& outcomes) {
  int status = kExitDone;
  for (const SensorOutcome& o : outcomes) status = std::max(status, o.exitStatus);
  return status;
}

}  // namespace cli
