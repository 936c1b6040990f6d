#include "param/params.h"

#include "protocol/parameter_defaults.h"

namespace {
// Factory defaults in package order.
constexpr const protocol::Words& kDefaults = protocol::kParameterDefaults;
}  // namespace

uint16_t power = kDefaults[0];
uint16_t pwrMode = kDefaults[1];
uint16_t vThd = kDefaults[2];
uint16_t bVal = kDefaults[3];
uint16_t polarity = kDefaults[4];
uint16_t eMode = kDefaults[5];
uint16_t eBeg = kDefaults[6];
uint16_t eEnd = kDefaults[7];
uint16_t tVal = kDefaults[8];
uint16_t tTol = kDefaults[9];
uint16_t iGain = kDefaults[10];
uint16_t ePoti = kDefaults[11];
uint16_t ccdMode = kDefaults[12];
uint16_t pStart = kDefaults[13];
uint16_t bMode = kDefaults[14];
uint16_t para15 = kDefaults[15];

uint16_t pp[PNUM] = {};
float scaleF = 1.0f;

namespace {
// The variables in package order; one table serves both copy directions.
uint16_t* const kPackageOrder[PNUM] = {&power,   &pwrMode, &vThd,  &bVal,  &polarity, &eMode,
                                       &eBeg,    &eEnd,    &tVal,  &tTol,  &iGain,    &ePoti,
                                       &ccdMode, &pStart,  &bMode, &para15};
}  // namespace

void SetParameterDefaults() {
  for (int i = 0; i < PNUM; ++i) *kPackageOrder[i] = kDefaults[i];
}

void CopyVarsToPP() {
  for (int i = 0; i < PNUM; ++i) pp[i] = *kPackageOrder[i];
}

void CopyPPtoVars() {
  for (int i = 0; i < PNUM; ++i) *kPackageOrder[i] = pp[i];
}

uint16_t* ParameterVariable(int index) {
  return kPackageOrder[index];
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
