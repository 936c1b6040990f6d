// The run command against the simulated sensor paced like a real 19200-baud
// line: measurement cycles per second, their ratio to the line's limit
// (36 + 36 bytes of 10 bits per cycle: 26.67 cycles/s), and the tool's own CPU
// meanwhile (the sensor is a process of its own). Run and Stop are clicked on
// their buttons through the engine, as the operator would; Stop comes from a
// timer inside the running loop, so the program ends by itself.
//
//   bench_run_loop [--quick]   (offscreen unless QT_QPA_PLATFORM says otherwise)
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

namespace {
constexpr double kLineLimit = 19200.0 / 10.0 / (36 + 36);  // cycles per second

// Times (sensor clock) of the measurement requests in the sensor's log.
std::vector<double> MeasureTimes(const std::string& logPath) {
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
struct Figures {
  double cycles = 0;  // measurement requests per second, on the sensor's clock
  double cpu = 0;     // the tool's CPU over the run, % of one core
};

// Starts the program against a sensor started with `simOptions`, clicks Run,
// clicks Stop after `seconds` from inside the loop. False when something did
// not work (reported on stderr).
bool RunFor(int argc, char** argv, double seconds, const std::vector<std::string>& simOptions,
            Figures* out) {
  const std::string logPath = "/tmp/vantrel-bench-run-" + std::to_string(getpid()) + ".log";
  bench::SimProcess sensor;
  std::vector<std::string> options = simOptions;
  options.push_back("--log");
  if (!sensor.Start(options, logPath)) {
    std::fprintf(stderr, "the simulated sensor did not start\n");
    return false;
  }
  setenv("VANTREL_COM1", sensor.Path().c_str(), 1);
  const char* resource = std::getenv("VANTREL_UIR");
  if (!resource) resource = VANTREL_SOURCE_UIR;
  if (StartUp(argc > 0 ? 1 : 0, argv, resource) != 0) return false;

  double cpu = 0, wall = 0;
  bool stopped = false;
  const double cpu0 = bench::CpuSeconds();
  const double wall0 = bench::MonotonicSeconds();
  QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
    cpu = bench::CpuSeconds() - cpu0;
    wall = bench::MonotonicSeconds() - wall0;
    stopped = SimulateClick(panelHandle, BTNStop) == 0;
  });
  const bool clicked = SimulateClick(panelHandle, BTNRun) == 0;
  ShutDown();
  sensor.Stop();
  const std::vector<double> times = MeasureTimes(logPath);
  unlink(logPath.c_str());
  if (!clicked || !stopped) {
    std::fprintf(stderr, "the run did not start, or ended before Stop\n");
    return false;
  }
  if (times.size() < 3) {
    std::fprintf(stderr, "too few measurement requests: %zu\n", times.size());
    return false;
  }
  out->cycles = static_cast<double>(times.size() - 1) / (times.back() - times.front());
  out->cpu = 100.0 * cpu / wall;
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 3.0 : 10.0;

  Figures paced, unpaced;
  if (!RunFor(argc, argv, seconds, {}, &paced)) return 1;
  bench::AtLeast("run_paced_cycles", paced.cycles, "cycles/s", 0.995 * kLineLimit, "%.2f");
  bench::AtLeast("run_paced_ratio", paced.cycles / kLineLimit, "ratio", 0.995, "%.3f");
  bench::AtMost("run_paced_cpu", paced.cpu, "%core", 1.0, "%.1f");
  // The same loop with a sensor that answers at once: what the tool itself
  // takes per cycle.
  if (!RunFor(argc, argv, options.quick ? 1.0 : 3.0, {"--unpaced"}, &unpaced)) return 1;
  bench::Reference("run_unpaced_cycles", unpaced.cycles, "cycles/s", "%.0f");
  bench::Reference("run_unpaced_cpu", unpaced.cpu, "%core", "%.0f");
  return 0;
}
