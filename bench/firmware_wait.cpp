// The firmware query waits for its raw reply without processing events, by
// design. This measures what that wait costs the PC when the sensor stays
// silent for its whole 2 s limit: the tool's own CPU (the simulated sensor is
// a process of its own), and how close to the limit the wait ends.
//
//   bench_firmware_wait [--quick] [--turns N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/vantrel.h"
#include "bench/figures.h"
#include "bench/sim_process.h"
#include "display/status.h"
#include "link/port.h"
#include "link/reply_wait.h"
#include "link/sensor_info.h"
#include "runtime/testing/resource_path.h"
#include "runtime/utility.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  bench::SimProcess sensor;
  if (!sensor.Start({"--unpaced"})) {
    std::fprintf(stderr, "the simulated sensor did not start\n");
    return 1;
  }
  setenv("VANTREL_COM1", sensor.Path().c_str(), 1);
  const char* resource = PanelResourcePath();
  if (StartUp(argc > 0 ? 1 : 0, argv, resource) != 0) return 1;
  sensor.Stop();  // from now on nothing answers: the device is still there, silent

  bench::SimProcess silent;
  if (!silent.Start({"--silent"})) return 1;
  setenv("VANTREL_COM1", silent.Path().c_str(), 1);
  InitRS232(1);  // line check and CCD query time out; the port stays open

  const int rounds = options.quick ? 1 : 3;
  double cpu = 0, wall = 0, overshoot = 0;
  for (int i = 0; i < rounds; ++i) {
    const double cpu0 = bench::CpuSeconds();
    const double t0 = Timer();
    const int n = GetVERSIONInfo();
    const double elapsed = Timer() - t0;
    cpu += bench::CpuSeconds() - cpu0;
    wall += elapsed;
    overshoot = std::max(overshoot, tdiff - FIRMWARE_TIMEOUT);
    if (n != 0) std::fprintf(stderr, "unexpected firmware bytes: %d\n", n);
  }
  bench::AtMost("firmware_wait_cpu", 100.0 * cpu / wall, "%core", 5.0, "%.2f");
  bench::AtMost("firmware_wait_overshoot", overshoot * 1000.0, "ms", 10.0, "%.2f");
  ShutDown();
  return 0;
}
