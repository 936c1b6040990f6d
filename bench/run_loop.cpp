// The run command against the simulated sensor paced like a real 19200-baud
// line: measurement cycles per second, their ratio to the line's limit
// (36 + 36 bytes of 10 bits per cycle: 26.67 cycles/s), and the tool's own CPU
// meanwhile; then the same against a sensor that answers at once, for
// reference. Run and Stop are clicked on their buttons (bench/live_loop.h).
//
//   bench_run_loop [--quick]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <cstdlib>

#include "bench/figures.h"
#include "bench/live_loop.h"
#include "display/controls.h"

namespace {
constexpr double kLineLimit = 19200.0 / 10.0 / (36 + 36);  // cycles per second
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 3.0 : 10.0;

  bench::LoopFigures paced, unpaced;
  if (!bench::DriveLoop(BTNRun, seconds, {}, &paced)) return 1;
  bench::AtLeast("run_paced_cycles", paced.rate, "cycles/s", 0.995 * kLineLimit, "%.2f");
  bench::AtLeast("run_paced_ratio", paced.rate / kLineLimit, "ratio", 0.995, "%.3f");
  bench::AtMost("run_paced_cpu", paced.cpu, "%core", 1.0, "%.1f");
  // The same loop with a sensor that answers at once: what the tool itself
  // takes per cycle.
  if (!bench::DriveLoop(BTNRun, options.quick ? 1.0 : 3.0, {"--unpaced"}, &unpaced)) return 1;
  bench::Reference("run_unpaced_cycles", unpaced.rate, "cycles/s", "%.0f");
  bench::Reference("run_unpaced_cpu", unpaced.cpu, "%core", "%.0f");
  return 0;
}
