// The summary table of a run on every sensor of a machine: one row a sensor
// with its name, its port and its result, in the order of the sensors file,
// columns aligned. Pure.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct SensorOutcome {
  std::string name, port;
  int exitStatus = 0;
  std::string result;  // one line: what the sensor's run printed first, or why it failed
};

// "name  port  result" rows under a header, each result led by "ok" or by
// the failure's kind ("differs", "no answer", "file", "port", "usage").
std::string SummaryTable(const std::vector<SensorOutcome>& outcomes);

// 0 when every sensor succeeded, else the highest exit status among them.
int FleetExitStatus(const std::vector<SensorOutcome>& outcomes);

}  // namespace cli
