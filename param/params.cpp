#include "param/params.h"

uint16_t power = 500;
uint16_t pwrMode = 0;
uint16_t vThd = 512;
uint16_t bVal = 64;
uint16_t polarity = 1;
uint16_t eMode = 1;
uint16_t eBeg = 1;
uint16_t eEnd = 512;
uint16_t tVal = 512;
uint16_t tTol = 100;
uint16_t iGain = 1;
uint16_t ePoti = 1;
uint16_t ccdMode = 0;
uint16_t pStart = 1;
uint16_t bMode = 0;
uint16_t para15 = 1000;

uint16_t pp[PNUM] = {};
float scaleF = 1.0f;

namespace {
// The variables in package order; one table serves both copy directions.
uint16_t* const kPackageOrder[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                       &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                       &ccdMode, &pStart,  &bMode, &para15};
}  // namespace

void SetParameterDefaults() {
  power = 500;
  pwrMode = 0;
  vThd = 512;
  bVal = 64;
  polarity = 1;
  eMode = 1;
  eBeg = 1;
  eEnd = 512;
  tVal = 512;
  tTol = 100;
  iGain = 1;
  ePoti = 1;
  ccdMode = 0;
  pStart = 1;
  bMode = 0;
  para15 = 1000;
}

void CopyVarsToPP() {
  for (int i = 0; i < PNUM; ++i) pp[i] = *kPackageOrder[i];
}

void CopyPPtoVars() {
  for (int i = 0; i < PNUM; ++i) *kPackageOrder[i] = pp[i];
}

uint16_t ScaleFactorToPara15(float factor) {
  // The product is rounded to single precision first: 0.9f * 1000 is 899.99998
  // in double but exactly 900 in float, which is what the operator typed.
  const float thousandths = factor * 1000.0f;
  // Outside this range the conversion to an integer is undefined; the control
  // never offers such values, but a corrupt value must not crash the program.
  if (!(thousandths > -2147483648.0f && thousandths < 2147483648.0f)) return 0;
  const int64_t truncated = static_cast<int64_t>(thousandths);
  return static_cast<uint16_t>(truncated & 0xFFFF);
}
