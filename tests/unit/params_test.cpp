// The parameter variables, the package and the panel's scale factor.
#include <gtest/gtest.h>

#include "display/panel_values.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "param/range_check.h"
#include "tests/support/test_params.h"

namespace {
uint16_t* const kVariables[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                    &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                    &ccdMode, &pStart,  &bMode, &para15};
}  // namespace

TEST(Package, FollowsTheFixedWordOrderBothWays) {
  for (int i = 0; i < PNUM; ++i) *kVariables[i] = static_cast<uint16_t>(100 + i);
  CopyVarsToPP();
  for (int i = 0; i < PNUM; ++i) EXPECT_EQ(pp[i], 100 + i) << "word " << i;
  for (int i = 0; i < PNUM; ++i) pp[i] = static_cast<uint16_t>(0xFFFF - i);
  CopyPPtoVars();
  for (int i = 0; i < PNUM; ++i) EXPECT_EQ(*kVariables[i], 0xFFFF - i) << "variable " << i;
}

TEST(Package, RoundTripKeepsOutOfRangeValues) {
  power = 0xFFFF;
  para15 = 0;
  eMode = 9;
  CopyVarsToPP();
  SetParameterDefaults();
  CopyPPtoVars();
  EXPECT_EQ(power, 0xFFFF);
  EXPECT_EQ(para15, 0);
  EXPECT_EQ(eMode, 9);
}

TEST(Package, DefaultsAreTheSensorsFactorySet) {
  SetParameterDefaults();
  CopyVarsToPP();
  const ParamWords expected = TestParams({{sim::kEEnd, 512}});  // no CCD known yet
  for (int i = 0; i < PNUM; ++i) EXPECT_EQ(pp[i], expected[i]) << i;
}

TEST(ScaleFactor, PanelValueBecomesThousandthsAsTheOperatorTypedIt) {
  EXPECT_EQ(ScaleFactorToPara15(0.9f), 900);
  EXPECT_EQ(ScaleFactorToPara15(1.15f), 1150);
  EXPECT_EQ(ScaleFactorToPara15(1.009f), 1008);
  EXPECT_EQ(ScaleFactorToPara15(1.25f), 1250);
  EXPECT_EQ(ScaleFactorToPara15(1.0f), 1000);
  EXPECT_EQ(ScaleFactorToPara15(70.0f), static_cast<uint16_t>(70000 & 0xFFFF));
}

TEST(ScaleFactor, NonsenseValuesDoNotCrash) {
  EXPECT_EQ(ScaleFactorToPara15(1e30f), 0);
  EXPECT_EQ(ScaleFactorToPara15(__builtin_nanf("")), 0);
}

TEST(RangeCheck, ReplacesOnlyValuesAboveTheirRange) {
  ccdmaxpixel = 0;
  SetParameterDefaults();
  power = 1500;
  pwrMode = 2;
  vThd = 1024;
  bVal = 1024;
  polarity = 7;
  eMode = 7;
  eBeg = 1025;
  eEnd = 2000;
  tVal = 1025;
  tTol = 513;
  iGain = 2;
  ePoti = 2;
  pStart = 1024;
  para15 = 0xFFFF;
  ccdMode = 0xFFFF;
  bMode = 0xFFFF;
  CheckParameterRanges();
  EXPECT_EQ(power, 500);
  EXPECT_EQ(pwrMode, 0);
  EXPECT_EQ(vThd, 512);
  EXPECT_EQ(bVal, 60);
  EXPECT_EQ(polarity, 1);
  EXPECT_EQ(eMode, 3) << "a replacement is always accepted";
  EXPECT_EQ(eBeg, 1);
  EXPECT_EQ(eEnd, 1024) << "no CCD information read yet: the longer line, never an empty window";
  EXPECT_EQ(tVal, 512);
  EXPECT_EQ(tTol, 128);
  EXPECT_EQ(iGain, 0);
  EXPECT_EQ(ePoti, 1);
  EXPECT_EQ(pStart, 1);
  EXPECT_EQ(para15, 1200);
  EXPECT_EQ(ccdMode, 0) << "the modes their rings offer";
  EXPECT_EQ(bMode, 0);
}

TEST(RangeCheck, KeepsValuesAtTheirLimits) {
  SetParameterDefaults();
  power = 1000;
  vThd = 1023;
  bVal = 1023;
  eMode = 3;
  ccdMode = 2;
  bMode = 2;
  eBeg = 1024;
  eEnd = 1024;
  tVal = 1024;
  tTol = 512;
  pStart = 1023;
  para15 = 800;
  CheckParameterRanges();
  EXPECT_EQ(power, 1000);
  EXPECT_EQ(vThd, 1023);
  EXPECT_EQ(bVal, 1023);
  EXPECT_EQ(eMode, 3);
  EXPECT_EQ(ccdMode, 2);
  EXPECT_EQ(bMode, 2);
  EXPECT_EQ(eBeg, 1024);
  EXPECT_EQ(eEnd, 1024);
  EXPECT_EQ(tVal, 1024);
  EXPECT_EQ(tTol, 512);
  EXPECT_EQ(pStart, 1023);
  EXPECT_EQ(para15, 800);
  para15 = 1200;
  CheckParameterRanges();
  EXPECT_EQ(para15, 1200);
}

TEST(RangeCheck, ScaleFactorHasALowerBoundAndRightEdgeFollowsTheSensor) {
  para15 = 0;
  CheckParameterRanges();
  EXPECT_EQ(para15, 800);
  para15 = 1201;
  CheckParameterRanges();
  EXPECT_EQ(para15, 1200);
  ccdmaxpixel = 1024;
  eEnd = 2000;
  EXPECT_EQ(CheckParameterRanges(), 1) << "one value replaced";
  EXPECT_EQ(eEnd, 1024);
  // On the 512-pixel line no pixel position beyond it is accepted.
  ccdmaxpixel = 512;
  eBeg = 513;
  eEnd = 1000;
  tVal = 600;
  EXPECT_EQ(CheckParameterRanges(), 3);
  EXPECT_EQ(eBeg, 1);
  EXPECT_EQ(eEnd, 512);
  EXPECT_EQ(tVal, 512);
  eEnd = 512;
  EXPECT_EQ(CheckParameterRanges(), 0);
  ccdmaxpixel = 0;
}
