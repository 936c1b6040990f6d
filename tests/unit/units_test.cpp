// Micrometre forms of the displays: integer for edges and tolerance, scaled for
// measured and teach values.
#include <gtest/gtest.h>

#include <limits>

#include "display/units.h"
#include "link/sensor_info.h"
#include "param/params.h"

namespace {
class Micrometres : public ::testing::Test {
 protected:
  void TearDown() override {
    scaleF = 1.0f;
    ccdtype = 0;
  }
};
}  // namespace

TEST_F(Micrometres, IntegerFormTruncatesAndIgnoresTheScaleFactor) {
  scaleF = 1.1f;
  EXPECT_EQ(MicrometresInt(1), 7);
  EXPECT_EQ(MicrometresInt(100), 780);
  EXPECT_EQ(MicrometresInt(512), 3993);
  // 7800 x 65535 still fits 32 bits; the display keeps the low 16 bits.
  EXPECT_EQ(MicrometresInt(65535), 511173 & 0xFFFF);
}

TEST_F(Micrometres, ScaledFormUsesTheSinglePrecisionFactorAndTruncates) {
  EXPECT_EQ(MicrometresScaled(512), 3993);
  scaleF = 1.1f;
  EXPECT_EQ(MicrometresScaled(512), 4392);
  scaleF = 1.05f;  // 1.0499999523...: 818.99996 is shown as 818
  EXPECT_EQ(MicrometresScaled(100), 818);
  scaleF = 0.9f;
  EXPECT_EQ(MicrometresScaled(100), 701);
  scaleF = 1.2f;
  EXPECT_EQ(MicrometresScaled(65535), 613407 & 0xFFFF);
}

TEST_F(Micrometres, ScaledFormOfAFactorTheControlNeverOffersIsStillDefined) {
  scaleF = -1.0f;
  EXPECT_EQ(MicrometresScaled(100), static_cast<uint16_t>(-780));
  scaleF = std::numeric_limits<float>::infinity();
  EXPECT_EQ(MicrometresScaled(100), 0);
}

TEST_F(Micrometres, PitchFollowsTheCcdTypeTheSensorReported) {
  struct Row {
    uint16_t type;
    int32_t pitch;
    uint16_t edge100;   // integer form of 100 pixels
    uint16_t value512;  // scaled form of 512 pixels, factor 1.1
  };
  // Types 2 and 3 are the 25 um lines; type 1, none yet and unknown ones 7.8 um.
  const Row rows[] = {{0, 7800, 780, 4392},
                      {1, 7800, 780, 4392},
                      {2, 25000, 2500, 14080},
                      {3, 25000, 2500, 14080},
                      {7, 7800, 780, 4392}};
  scaleF = 1.1f;
  for (const Row& r : rows) {
    ccdtype = r.type;
    EXPECT_EQ(PixelPitch(), r.pitch) << r.type;
    EXPECT_EQ(MicrometresInt(100), r.edge100) << r.type;
    EXPECT_EQ(MicrometresScaled(512), r.value512) << r.type;
  }
}
