// The run command against the simulated sensor paced like a real 19200-baud
// line: measurement cycles per second, their ratio to the line's limit
// (36 + 36 bytes of 10 bits per cycle: 26.67 cycles/s) and how far it stays
// behind a bare loop against the same kind of sensor, the tool's own CPU and
// the event loop's rounds per cycle meanwhile; then the same against a sensor that answers at once,
// for reference. Run and Stop are clicked on their buttons (bench/live_loop.h).
//
//   bench_run_loop [--quick] [--turns N]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <cstdlib>

#include "bench/figures.h"
#include "bench/live_loop.h"
#include "bench/sim_process.h"
#include "display/controls.h"

namespace {
constexpr double kLineLimit = 19200.0 / 10.0 / (36 + 36);  // cycles per second
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const bench::Options options = bench::ParseOptions(argc, argv);
  const double seconds = options.quick ? 3.0 : 60.0;

  bench::LoopFigures paced, unpaced;
  if (!bench::DriveLoop(BTNRun, seconds, {}, &paced)) return 1;
  bench::AtLeast("run_paced_cycles", paced.rate, "cycles/s", 0.995 * kLineLimit, "%.2f");
  bench::AtLeast("run_paced_ratio", paced.rate / kLineLimit, "ratio", 0.995, "%.3f");
  bench::AtMost("run_paced_cpu", paced.cpu, "%core", 1.0, "%.2f");
  // A reply wakes one round, which hands it to the loop; the round after the
  // next request paints the frame: two rounds a cycle.
  bench::Reference("run_paced_event_rounds",
                   static_cast<double>(paced.eventRounds) / (paced.rate * paced.seconds),
                   "per_cycle", "%.2f");
  // What this machine's pty and a paced sensor allow at all: the bare loop's
  // exchanges with a paced sensor of the same kind, right after.
  {
    bench::SimProcess twin;
    if (twin.Start({})) {
      const double bare =
          bench::BareExchangeRate(twin.Path(), options.quick ? 3.0 : 10.0) / kLineLimit;
      bench::Reference("bare_paced_ratio", bare, "ratio", "%.3f");
      bench::AtMost("run_paced_behind_bare", bare - paced.rate / kLineLimit, "ratio", 0.003,
                    "%.3f");
    }
  }
  // The same loop with a sensor that answers at once: what the tool itself
  // takes per cycle, against a bare loop doing the same exchange.
  if (!bench::DriveLoop(BTNRun, options.quick ? 2.0 : 10.0, {"--unpaced"}, &unpaced, true))
    return 1;
  bench::AtLeast("run_unpaced_cycles", unpaced.rate, "cycles/s", 10000, "%.0f");
  bench::Reference("run_unpaced_cpu", unpaced.cpu, "%core", "%.0f");
  bench::Reference("bare_unpaced_cycles", unpaced.bareRate, "cycles/s", "%.0f");
  // The simulator bounds both loops; the tool's share is this ratio.
  bench::AtLeast("run_unpaced_to_bare", unpaced.rate / unpaced.bareRate, "ratio", 0.9, "%.3f");
  // Every received frame drawn once: one new scope picture per answered
  // request (the last request may go unanswered at Stop).
  const long drawn = unpaced.scope.allDeleted;
  bench::AtMost("run_unpaced_frames_not_drawn_once",
                static_cast<double>(std::labs(unpaced.requests - drawn) > 1
                                        ? std::labs(unpaced.requests - drawn)
                                        : 0),
                "frames", 0, "%.0f");
  bench::AtMost("scope_repaints", unpaced.scopePaints / unpaced.seconds, "paints/s", 60.5, "%.1f");
  bench::AtMost("data_graph_repaints", unpaced.dataPaints / unpaced.seconds, "paints/s", 60.5,
                "%.1f");
  bench::AtMost("scope_newest_frame_latency", unpaced.scope.newestMax * 1000.0, "ms", 1000.0 / 60.0,
                "%.1f");
  // Memory: a run of a minute (a few seconds with --quick) at the line's rate.
  bench::AtMost("run_peak_rss", std::max(paced.peakRss, unpaced.peakRss), "MB", 60.0, "%.1f");
  return 0;
}
