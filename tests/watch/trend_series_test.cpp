// The trend's ring: the oldest frames go when it is full, a time window picks
// its frames by their seconds (both ends included), the band's limits count
// as inside and set the range to plot.
#include <gtest/gtest.h>

#include "watch/trend_series.h"

namespace {

TEST(TrendSeries, FullRingDropsTheOldestAndKeepsTimeOrder) {
  watch::TrendSeries series(4);
  for (int k = 0; k < 6; ++k) series.Add(k * 0.5, static_cast<uint16_t>(100 + k), 100, 10);
  ASSERT_EQ(series.Size(), 4u);
  EXPECT_EQ(series.At(0).value, 102);
  EXPECT_EQ(series.At(3).value, 105);
  EXPECT_EQ(series.At(3).seconds, 2.5);
  // 1.0 .. 2.0 s: frames 2, 3, 4, the ends included.
  const watch::TrendSeries::Span span = series.Within(1.0, 2.0);
  EXPECT_EQ(span.first, 0u);
  EXPECT_EQ(span.end, 3u);
  EXPECT_EQ(series.Within(2.6, 9.0).first, series.Within(2.6, 9.0).end);
  series.Clear();
  EXPECT_EQ(series.Size(), 0u);
}

TEST(TrendSeries, BandLimitsCountInsideAndSetTheExtent) {
  watch::TrendSeries series;
  series.Add(0.0, 490, 500, 10);  // lower limit
  series.Add(0.1, 510, 500, 10);  // upper limit
  series.Add(0.2, 511, 500, 10);
  series.Add(0.3, 2, 3, 5);  // band -2..8
  EXPECT_TRUE(series.At(0).inside);
  EXPECT_TRUE(series.At(1).inside);
  EXPECT_FALSE(series.At(2).inside);
  double low = 0, high = 0;
  ASSERT_TRUE(series.Extent(series.Within(0.0, 0.2), &low, &high));
  EXPECT_EQ(low, 490);
  EXPECT_EQ(high, 511);
  ASSERT_TRUE(series.Extent(series.Within(0.25, 1.0), &low, &high));
  EXPECT_EQ(low, -2);
  EXPECT_EQ(high, 8);
  EXPECT_FALSE(series.Extent(series.Within(1.0, 2.0), &low, &high));
}

}  // namespace
