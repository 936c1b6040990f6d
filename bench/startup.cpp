// Start-up of the real program against the simulated sensor: time from the
// start of main() to the main panel shown (engine, panels, InitVars and
// the link bring-up with its four exchanges), compared with what the 19200-baud
// line alone needs, and the peak memory.
//
//   bench_startup   (runs offscreen unless QT_QPA_PLATFORM says otherwise)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/vantrel.h"
#include "display/controls.h"
#include "display/status.h"
#include "runtime/inspect.h"
#include "runtime/utility.h"
#include "sim/sim_thread.h"

namespace {
// Bytes on the line during the bring-up: three 36-byte exchanges (line check,
// parameter read, CCD information) and the firmware query with its 72 bytes.
constexpr double kBringUpBytes = 3 * (36 + 36) + (36 + 72);
constexpr double kSecondsPerByte = 10.0 / 19200.0;

double Run(bool paced, const char* resource, int argc, char** argv) {
  sim::Config config;
  config.paced = paced;
  sim::SimThread sensor(config);
  std::string error;
  if (!sensor.Start(&error)) {
    std::fprintf(stderr, "simulated sensor: %s\n", error.c_str());
    std::exit(1);
  }
  setenv("VANTREL_COM1", sensor.SlavePath().c_str(), 1);
  const double start = Timer();
  if (StartUp(argc, argv, resource) != 0) std::exit(1);
  const double shown = Timer() - start;
  if (InspectPanelVisible(panelHandle) != 1 || sensor.Orders().size() != 4) {
    std::fprintf(stderr, "start-up did not complete: status \"%s\"\n", szStatus);
    std::exit(1);
  }
  ShutDown();
  sensor.Stop();
  return shown;
}
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const double mainStart = Timer();
  const char* resource = std::getenv("VANTREL_UIR");
  if (!resource) resource = VANTREL_SOURCE_UIR;

  // The first start-up also pays for the engine itself (fonts, style).
  const double first = Run(true, resource, argc, argv);
  const double firstTotal = Timer() - mainStart;
  double paced = 0, unpaced = 0;
  const int rounds = 5;
  for (int i = 0; i < rounds; ++i) paced += Run(true, resource, argc, argv);
  for (int i = 0; i < rounds; ++i) unpaced += Run(false, resource, argc, argv);

  const double line = kBringUpBytes * kSecondsPerByte;
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("start of main() to main panel shown (first, paced)    %7.1f ms\n", firstTotal * 1e3);
  std::printf("  of which start-up procedure                         %7.1f ms\n", first * 1e3);
  std::printf("start-up procedure, paced 19200 baud (mean of %d)      %7.1f ms\n", rounds,
              paced / rounds * 1e3);
  std::printf("  line time of the bring-up's bytes                   %7.1f ms (ratio %.2f)\n",
              line * 1e3, (paced / rounds) / line);
  std::printf("start-up procedure, unpaced (mean of %d)               %7.1f ms\n", rounds,
              unpaced / rounds * 1e3);
  std::printf("peak memory (max RSS)                                 %7.1f MiB\n",
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
