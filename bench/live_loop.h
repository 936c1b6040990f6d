// Driving an acquisition loop of the real program against the simulated sensor
// for a benchmark: the program starts up, the loop's button is clicked through
// the engine as the operator would, and Stop is clicked by a timer from inside
// the running loop, so the benchmark ends by itself. The sensor is a process of
// its own, so the CPU measured is the tool's alone; its request log gives the
// rate on its own clock. Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <unistd.h>

#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/vantrel.h"
#include "bench/bare_exchange.h"
#include "bench/figures.h"
#include "bench/sim_process.h"
#include "display/controls.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/resource_path.h"
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
  double rate = 0;              // measurement requests per second, on the sensor's clock
  double cpu = 0;               // the tool's CPU over the run, % of one core
  long requests = 0;            // measurement requests the sensor received
  double seconds = 0;           // wall time of the loop
  double peakRss = 0;           // MB, the process's peak so far
  GraphPaintStats scope, data;  // the graphs' paints during the loop
  long scopePaints = 0, dataPaints = 0;
  double bareRate = -1;  // the bare exchange on the same sensor, when asked for
};

// Starts the program against a sensor started with `simOptions`, clicks
// `button`, clicks Stop after `seconds` from inside the loop. False when
// something did not work (reported on stderr).
// `beforeLoop`, when given, runs once the panels are painted, before the
// click. `route`, when given, puts something between the program and the
// sensor: it gets the sensor's device and returns the device the program
// opens ("" when it could not).
inline bool DriveLoop(int button, double seconds, const std::vector<std::string>& simOptions,
                      LoopFigures* out, bool measureBare = false, void (*beforeLoop)() = nullptr,
                      const std::function<std::string(const std::string&)>& route = nullptr) {
  const std::string logPath = "/tmp/vantrel-bench-loop-" + std::to_string(getpid()) + ".log";
  SimProcess sensor;
  std::vector<std::string> options = simOptions;
  options.push_back("--log");
  if (!sensor.Start(options, logPath)) {
    std::fprintf(stderr, "the simulated sensor did not start\n");
    return false;
  }
  const std::string device = route ? route(sensor.Path()) : sensor.Path();
  if (device.empty()) return false;
  setenv("VANTREL_COM1", device.c_str(), 1);
  const char* resource = PanelResourcePath();
  char* argv[] = {const_cast<char*>("vantrel"), nullptr};
  if (StartUp(1, argv, resource) != 0) return false;
  // Both panels shown and painted before the loop starts.
  DisplayPanel(panelPopUp);
  const double settle = MonotonicSeconds() + 10.0;
  while (MonotonicSeconds() < settle && (InspectGraphPaintCount(panelHandle, GRAPH_Scope) <= 0 ||
                                         InspectGraphPaintCount(panelHandle, GRAPH_Data) <= 0))
    ProcessSystemEvents();
  if (beforeLoop != nullptr) beforeLoop();
  ResetGraphPaintStats(panelHandle, GRAPH_Scope);
  ResetGraphPaintStats(panelHandle, GRAPH_Data);
  const long scope0 = InspectGraphPaintCount(panelHandle, GRAPH_Scope);
  const long data0 = InspectGraphPaintCount(panelHandle, GRAPH_Data);

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
  // The last picture reaches the screen too.
  const double drain = MonotonicSeconds() + 0.1;
  while (MonotonicSeconds() < drain) ProcessSystemEvents();
  InspectGraphPaintStats(panelHandle, GRAPH_Scope, &out->scope);
  InspectGraphPaintStats(panelHandle, GRAPH_Data, &out->data);
  out->scopePaints = InspectGraphPaintCount(panelHandle, GRAPH_Scope) - scope0;
  out->dataPaints = InspectGraphPaintCount(panelHandle, GRAPH_Data) - data0;
  out->peakRss = PeakRssMB();
  ShutDown();
  sensor.Stop();
  // The reference: a bare loop doing the same exchange with a sensor of the
  // same kind, right after, on the same machine.
  if (measureBare) {
    SimProcess twin;
    if (twin.Start(simOptions))
      out->bareRate = BareExchangeRate(twin.Path(), std::min(seconds, 3.0));
  }
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
  out->requests = static_cast<long>(times.size());
  out->seconds = wall;
  return true;
}

}  // namespace bench
