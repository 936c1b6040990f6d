// The data command against the simulated sensor paced like a real 19200-baud
// line: passes per second (four video blocks and one measurement frame each),
// their ratio to the line's limit (4 x (36 + 128) + 36 + 36 bytes of 10 bits:
// 2.64 passes/s), and the tool's own CPU meanwhile; then the same against a
// sensor that answers at once, for reference. Video data and Stop are clicked
// on their buttons (bench/live_loop.h).
//
//   bench_data_loop [--quick] [--turns N]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <cstdlib>

#include "bench/figures.h"
#include "bench/live_loop.h"
#include "display/controls.h"

namespace {
constexpr double kLineLimit = 19200.0 / 10.0 / (4 * (36 + 128) + 36 + 36);  // passes per second
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);

  bench::LoopFigures paced, unpaced;
  if (!bench::DriveLoop(BTNData, options.quick ? 3.0 : 10.0, {}, &paced)) return 1;
  bench::AtLeast("data_paced_passes", paced.rate, "passes/s", 0.99 * kLineLimit, "%.3f");
  bench::AtLeast("data_paced_ratio", paced.rate / kLineLimit, "ratio", 0.99, "%.3f");
  // The Data loop has no CPU target of its own; its figure is for comparison.
  bench::Reference("data_paced_cpu", paced.cpu, "%core", "%.1f");
  if (!bench::DriveLoop(BTNData, options.quick ? 1.0 : 3.0, {"--unpaced"}, &unpaced)) return 1;
  bench::AtLeast("data_unpaced_passes", unpaced.rate, "passes/s", 1000, "%.0f");
  bench::Reference("data_unpaced_cpu", unpaced.cpu, "%core", "%.0f");
  return 0;
}
