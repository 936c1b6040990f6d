// Driving an acquisition loop of the real program against the simulated sensor
// for a benchmark: the program starts up, the loop's button is clicked through
// the engine as the operator would, and Stop is clicked by a timer from inside
// the running loop, so the benchmark ends by itself. The sensor is a process of
// its own, so the CPU measured is the tool's alone; its request log gives the
// rate on its own clock. Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <unistd.h>

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/vantrel.h"
#include "bench/figures.h"
#include "bench/sim_process.h"
#include "display/controls.h"
#include "runtime/inspect.h"
#include "runtime/userint.h"

namespace bench {
// Times (sensor clock) of the measurement requests in the sensor's log.
inline std::vector<double> MeasureTimes(const std::string& logPath) {
  std::vector<double> times;
  FILE* in = std::fopen(logPath.c_str(), "r");
  if (!in) return times;
  char line[512];
  while (std::fgets(line, sizeof line, in)) {
    double t = 0;
    char name[32] = "";
    if (std::sscanf(line, "%lf %31s", &t, name) == 2 && std::strcmp(name, "measure") == 0) {
      times.push_back(t);
    }
  }
  std::fclose(in);
  return times;
}
struct LoopFigures {
  double rate = 0;  // measurement requests per second, on the sensor's clock
  double cpu = 0;   // the tool's CPU over the run, % of one core
};

// Starts the program against a sensor started with `simOptions`, clicks
// `button`, clicks Stop after `seconds` from inside the loop. False when
// something did not work (reported on stderr).
inline bool DriveLoop(int button, double seconds, const std::vector<std::string>& simOptions,
                      LoopFigures* out) {
  const std::string logPath = "/tmp/vantrel-bench-loop-" + std::to_string(getpid()) + ".log";
  SimProcess sensor;
  std::vector<std::string> options = simOptions;
  options.push_back("--log");
  if (!sensor.Start(options, logPath)) {
    std::fprintf(stderr, "the simulated sensor did not start\n");
    return false;
  }
  setenv("VANTREL_COM1", sensor.Path().c_str(), 1);
  const char* resource = std::getenv("VANTREL_UIR");
  if (!resource) resource = VANTREL_SOURCE_UIR;
  char* argv[] = {const_cast<char*>("vantrel"), nullptr};
  if (StartUp(1, argv, resource) != 0) return false;

  double cpu = 0, wall = 0;
  bool stopped = false;
  const double cpu0 = CpuSeconds();
  const double wall0 = MonotonicSeconds();
  QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
    cpu = CpuSeconds() - cpu0;
    wall = MonotonicSeconds() - wall0;
    stopped = SimulateClick(panelHandle, BTNStop) == 0;
  });
  const bool clicked = SimulateClick(panelHandle, button) == 0;
  ShutDown();
  sensor.Stop();
  const std::vector<double> times = MeasureTimes(logPath);
  unlink(logPath.c_str());
  if (!clicked || !stopped) {
    std::fprintf(stderr, "the loop did not start, or ended before Stop\n");
    return false;
  }
  if (times.size() < 3) {
    std::fprintf(stderr, "too few measurement requests: %zu\n", times.size());
    return false;
  }
  out->rate = static_cast<double>(times.size() - 1) / (times.back() - times.front());
  out->cpu = 100.0 * cpu / wall;
  return true;
}

}  // namespace bench
