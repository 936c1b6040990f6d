#include "ports/search_result.h"

namespace ports {

std::string ResultText(const PortResult& result) {
  switch (result.outcome) {
    case Outcome::kProbing:
      return "Probing ...";
    case Outcome::kSensor:
      return result.firmware.empty() ? "Sensor answers (no firmware text)"
                                     : "Sensor answers: " + result.firmware;
    case Outcome::kWrongSync:
      return "Answers with a wrong sync";
    case Outcome::kNoAnswer:
      return "No answer";
    case Outcome::kBusy:
      return "Busy";
    case Outcome::kNoPermission:
      return "No permission";
    case Outcome::kCannotOpen:
      return "Cannot open: " + result.reason;
    case Outcome::kInterrupted:
      return "Interrupted";
  }
  return "";
}

std::string SearchSummary(const std::vector<PortResult>& results) {
  size_t sensors = 0, interrupted = 0;
  for (const PortResult& r : results) {
    sensors += r.outcome == Outcome::kSensor ? 1 : 0;
    interrupted += r.outcome == Outcome::kInterrupted ? 1 : 0;
  }
  if (results.empty()) return "Find sensor: no serial port to probe";
  const std::string probed = std::to_string(results.size());
  const std::string ports = results.size() == 1 ? " port" : " ports";
  if (interrupted > 0) {
    // A port not answered yet is no port without a sensor.
    const std::string found = sensors == 0   ? "no sensor answered"
                              : sensors == 1 ? "a sensor answers on 1"
                                             : "sensors answer on " + std::to_string(sensors);
    return "Find sensor interrupted after " + std::to_string(results.size() - interrupted) +
           " of " + probed + ports + ": " + found;
  }
  if (sensors == 0) return "Find sensor: no sensor answers on the " + probed + ports + " probed";
  if (sensors == 1) return "Find sensor: a sensor answers on 1 of " + probed + ports;
  return "Find sensor: sensors answer on " + std::to_string(sensors) + " of " + probed + ports;
}

int FreePortNumber(const std::vector<PortSlot>& numbers) {
  for (size_t i = 0; i < numbers.size(); ++i)
    if (!numbers[i].present && !numbers[i].mapped) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace ports
