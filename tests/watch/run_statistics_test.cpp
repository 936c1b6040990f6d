// Run statistics: the band with its limits included and a band reaching below
// zero, the rate over the Run, Welford's spread, the reset for a new Run.
#include <gtest/gtest.h>

#include "watch/run_statistics.h"

namespace {

TEST(RunStatistics, KnownSequence) {
  struct Frame {
    uint16_t value, teach, tolerance;
  };
  watch::RunStatistics stats;
  double seconds = 10.0;  // not the Run's start: the rate counts from the first frame
  for (const Frame& f : {Frame{498, 500, 2},   // lower limit: inside
                         Frame{502, 500, 2},   // upper limit: inside
                         Frame{503, 500, 2},   // outside
                         Frame{497, 500, 2},   // outside
                         Frame{500, 500, 2},   // inside
                         Frame{0, 3, 10},      // band -7..13: inside
                         Frame{13, 3, 10}}) {  // its upper limit: inside
    stats.AddFrame(seconds, f.value, f.teach, f.tolerance);
    seconds += 0.1;
  }
  stats.AddTimeout();
  EXPECT_EQ(stats.Frames(), 7);
  EXPECT_EQ(stats.Inside(), 5);
  EXPECT_EQ(stats.Outside(), 2);
  EXPECT_NEAR(stats.FramesPerSecond(), 10.0, 1e-9);
  EXPECT_EQ(stats.Min(), 0);
  EXPECT_EQ(stats.Max(), 503);
  EXPECT_EQ(stats.Text(),
            "7 frames, 10.00 per second, 1 time-out; measured value min 0, max 503, mean 359.00, "
            "deviation 240.84; 5 inside the band, 2 outside");
  EXPECT_FALSE(watch::InsideBand(14, 3, 10));
  EXPECT_TRUE(watch::InsideBand(65535, 65534, 2));  // band above 65535
}

TEST(RunStatistics, SpreadStaysExactOverALongRun) {
  watch::RunStatistics stats;
  for (int i = 0; i < 1000000; ++i) stats.AddFrame(i * 0.05, 65534 + (i % 2), 0, 0);
  EXPECT_NEAR(stats.Mean(), 65534.5, 1e-9);
  EXPECT_NEAR(stats.StandardDeviation(), 0.50000025, 1e-7);
}

TEST(RunStatistics, ResetStartsANewRun) {
  watch::RunStatistics stats;
  stats.AddFrame(1.0, 900, 500, 2);
  stats.AddFrame(2.0, 100, 500, 2);
  stats.AddTimeout();
  stats.Reset();
  EXPECT_EQ(stats.Text(), "0 frames, 0.00 per second, 0 time-outs");
  stats.AddFrame(5.0, 400, 400, 0);
  stats.AddFrame(5.5, 402, 400, 0);
  EXPECT_EQ(stats.Text(),
            "2 frames, 2.00 per second, 0 time-outs; measured value min 400, max 402, mean "
            "401.00, deviation 1.41; 1 inside the band, 1 outside");
}

}  // namespace
