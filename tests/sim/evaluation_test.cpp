// Edge finding, measured values, CCD windows, video sample placement and
// background correction, on hand-made lines with known edges.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/evaluation.h"
#include "sim/parameters.h"
#include "tests/support/test_params.h"

namespace sim {
namespace {

// A line at `bright` with pixels first..last (1-based) at `dark`.
Line LineWithObject(int first, int last, uint16_t bright = 800, uint16_t dark = 100,
                    int pixels = 1024) {
  Line line(static_cast<size_t>(pixels), bright);
  for (int p = first; p <= last; ++p) line[static_cast<size_t>(p - 1)] = dark;
  return line;
}

TEST(EdgeFinding, ThresholdDecidesWithHysteresis) {
  const Line line = LineWithObject(300, 399);
  const auto crossings = FindTransitions(line, 1, 1024, 512);
  ASSERT_EQ(crossings.size(), 2u);
  EXPECT_EQ(crossings[0].pixel, 300);
  EXPECT_FALSE(crossings[0].rising);
  EXPECT_EQ(crossings[1].pixel, 400);
  EXPECT_TRUE(crossings[1].rising);
  EXPECT_TRUE(FindTransitions(line, 1, 1024, 900).empty());  // above the lit level
  EXPECT_TRUE(FindTransitions(line, 1, 1024, 50).empty());   // below the shadow

  Line wobble(100, 800);  // noise within the hysteresis band makes no edges
  for (size_t i = 40; i < 60; ++i) wobble[i] = (i % 2) ? 510 : 514;
  EXPECT_TRUE(FindTransitions(wobble, 1, 100, 512).empty());
}

TEST(Measurement, WordsForEachEvaluationMode) {
  const Line line = LineWithObject(300, 399);
  Words p = kTestParams;
  p[kTVal] = 320;
  p[kTTol] = 25;
  p[kPara15] = 1100;
  p[kEMode] = 0;
  const Words m = MeasurementWords(line, p, 1, 7);
  const Words expected{300, 400, 300, 320, 25, 1, 2, 800, 800, 1, 800, 100, 7, 0, 0, 0};
  EXPECT_EQ(m, expected);

  const int modes[] = {1, 2, 3, 4};
  const int values[] = {400, 110, 350, 0};  // second edge, width x 1.1, centre, unknown mode
  for (int i = 0; i < 4; ++i) {
    p[kEMode] = static_cast<uint16_t>(modes[i]);
    EXPECT_EQ(MeasurementWords(line, p, 1, 0)[2], values[i]) << "eMode " << modes[i];
  }
  p[kEMode] = 1;
  EXPECT_EQ(MeasurementWords(line, p, 1, 0)[9], 0);  // 400 is outside 320 +- 25
}

TEST(Measurement, EvaluationWindowLimitsTheSearch) {
  const Line line = LineWithObject(300, 399);
  Words p = kTestParams;
  p[kEMode] = 2;
  struct Case {
    int beg, end, count, first, second, start_level, end_level;
  };
  const Case cases[] = {
      {350, 1024, 1, 400, 0, 100, 800},  // starts inside the object: its one edge comes first
      {1, 350, 1, 300, 0, 800, 100},     // ends inside the object
      {500, 900, 0, 0, 0, 800, 800},     // clear of it
      {600, 100, 0, 0, 0, 0, 0},         // crossed limits: empty
  };
  for (const Case& c : cases) {
    p[kEBeg] = static_cast<uint16_t>(c.beg);
    p[kEEnd] = static_cast<uint16_t>(c.end);
    const Words m = MeasurementWords(line, p, 1, 0);
    EXPECT_EQ(m[6], c.count) << c.beg << ".." << c.end;
    EXPECT_EQ(m[0], c.first) << c.beg << ".." << c.end;
    EXPECT_EQ(m[1], c.second) << c.beg << ".." << c.end;
    EXPECT_EQ(m[2], 0) << "no width without two edges";
    EXPECT_EQ(m[7], c.start_level) << c.beg << ".." << c.end;
    EXPECT_EQ(m[8], c.end_level) << c.beg << ".." << c.end;
  }
  // Limits beyond a 512-pixel line are held to it.
  p[kEBeg] = 0;
  p[kEEnd] = 1024;
  const Words m = MeasurementWords(LineWithObject(100, 149, 800, 100, 512), p, 1, 0);
  EXPECT_EQ(m[0], 100);
  EXPECT_EQ(m[1], 150);
}

TEST(Measurement, PolarityChoosesWhichTransitionsOpenTheObject) {
  Line slit(1024, 100);  // a bright slit on a dark line
  for (size_t i = 299; i < 399; ++i) slit[i] = 800;
  Words p = kTestParams;
  p[kPolarity] = 0;  // bright object
  Words m = MeasurementWords(slit, p, 1, 0);
  EXPECT_EQ(m[0], 300);
  EXPECT_EQ(m[1], 400);
  p[kPolarity] = 1;  // dark object: the slit's end opens it
  m = MeasurementWords(slit, p, 1, 0);
  EXPECT_EQ(m[0], 400);
  EXPECT_EQ(m[1], 0);
}

TEST(CcdModes, WindowStartAndEvaluationInsideTheWindow) {
  const Line line = LineWithObject(300, 399);
  Words p = kTestParams;
  p[kCcdMode] = 1;
  EXPECT_EQ(MeasurementWords(line, p, 500, 0)[6], 0);  // window 500..755 misses the object
  Words m = MeasurementWords(line, p, 250, 0);         // window 250..505 holds it
  EXPECT_EQ(m[5], 250);
  EXPECT_EQ(m[0], 300);
  EXPECT_EQ(m[1], 400);

  p[kCcdMode] = 2;  // the sensor centres its window on the object, within the line
  EXPECT_EQ(PickWindowStart(line, p, 77), 350 - 128);
  EXPECT_EQ(PickWindowStart(LineWithObject(980, 1010), p, 77), 1024 - 255);
  EXPECT_EQ(PickWindowStart(LineWithObject(10, 20), p, 77), 1);
  EXPECT_EQ(PickWindowStart(Line(1024, 800), p, 77), 77);  // nothing found: kept

  p[kCcdMode] = 7;  // unknown modes read the whole line
  EXPECT_EQ(MeasurementWords(line, p, 500, 0)[5], 1);
}

TEST(VideoSamples, PlacementPerCcdMode) {
  Line ramp(1024);  // each level is its pixel's number, so a sample names its pixel
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint16_t>(i + 1);
  const Line ramp512(ramp.begin(), ramp.begin() + 512);
  struct Case {
    const Line* line;
    int mode, start;
    size_t index;
    uint16_t pixel;
  };
  const Case cases[] = {
      {&ramp, 0, 1, 1, 5},        {&ramp, 0, 1, 255, 1021},   // every 4th of 1024
      {&ramp512, 0, 1, 255, 511},                             // every 2nd of 512
      {&ramp, 1, 100, 0, 100},    {&ramp, 1, 100, 255, 355},  // 256 from the window start
      {&ramp, 2, 900, 124, 1024}, {&ramp, 2, 900, 125, 0},    // past the line: 0
      {&ramp, 1, 0, 0, 0},                                    // pixel 0 does not exist
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VideoSamples(*c.line, c.mode, c.start)[c.index], c.pixel)
        << "mode " << c.mode << " start " << c.start << " sample " << c.index;
  }
}

TEST(Background, SubtractFlatFieldAndLearn) {
  Words p = kTestParams;
  p[kBMode] = 1;
  p[kBVal] = 64;
  const Line out = CorrectBackground(Line{50, 700}, p, {});
  EXPECT_EQ(out, (Line{0, 636}));

  Line lit(1024);  // lighting that falls off to one side
  for (size_t i = 0; i < lit.size(); ++i) lit[i] = static_cast<uint16_t>(900 - i / 4);
  p[kBMode] = 2;
  const Line flat = CorrectBackground(lit, p, lit);
  const auto [low, high] = std::minmax_element(flat.begin(), flat.end());
  EXPECT_LE(*high - *low, 1);
  EXPECT_EQ(CorrectBackground(lit, p, {}), lit);  // nothing taught yet
  p[kBMode] = 0;
  EXPECT_EQ(CorrectBackground(lit, p, lit), lit);

  // Learning bridges an object in view with a straight line.
  Line seen = LineWithObject(101, 199);
  seen[99] = 600;
  const Line bg = LearnBackground(seen, 512);
  EXPECT_EQ(bg[99], 600);
  EXPECT_NEAR(bg[149], 700, 2);
  EXPECT_EQ(bg[199], 800);
  EXPECT_EQ(LearnBackground(LineWithObject(1, 10), 512)[0], 800);  // dark start
}

}  // namespace
}  // namespace sim
