// The long run: the Run loop against the unpaced simulated sensor for ten
// minutes, resident memory sampled as it goes. Memory after ten minutes must
// be within 1 MB of that after one: nothing grows per frame. Not part of
// `make bench` (it takes its full time); run it with `make soak`.
//
//   bench_soak [--minutes N]   (default 10; the first sample stays at 1 minute)
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/live_loop.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  double minutes = 10.0;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--minutes") == 0) minutes = std::atof(argv[i + 1]);

  // The engine first: the sampling timer needs its event loop.
  if (!InitRuntime(argc, argv)) return 1;
  double atOneMinute = -1, last = 0;
  const double start = bench::MonotonicSeconds();
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    last = bench::RssMB();
    if (atOneMinute < 0 && bench::MonotonicSeconds() - start >= 60.0) atOneMinute = last;
  });
  sampler.start(500);
  bench::LoopFigures run;
  if (!bench::DriveLoop(BTNRun, minutes * 60.0, {"--unpaced"}, &run)) return 1;
  if (atOneMinute < 0) atOneMinute = last;
  bench::Reference("soak_cycles", run.rate, "cycles/s", "%.0f");
  bench::Reference("soak_rss_1min", atOneMinute, "MB", "%.2f");
  bench::Reference("soak_rss_end", last, "MB", "%.2f");
  bench::AtMost("soak_rss_growth", last - atOneMinute, "MB", 1.0, "%.2f");
  bench::AtMost("soak_peak_rss", bench::PeakRssMB(), "MB", 60.0, "%.1f");
  return 0;
}
