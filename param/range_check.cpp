#include "param/range_check.h"

#include "link/sensor_info.h"
#include "param/params.h"

uint16_t PixelLimit() {
  return (ccdmaxpixel >= 1 && ccdmaxpixel <= 1024) ? ccdmaxpixel : 1024;
}

void AcceptedRange(int index, uint16_t* low, uint16_t* high) {
  static const uint16_t kHigh[PNUM] = {1000, 1,   1023, 1023, 1, 4,    0, 0,
                                       0,    512, 1,    1,    0, 1023, 0, 1200};
  *low = index == PARA15 ? 800 : 0;
  *high = (index >= 6 && index <= 8) ? PixelLimit() : kHigh[index];
}

int CheckParameterRanges() {
  uint16_t before[PNUM];
  for (int i = 0; i < PNUM; ++i) before[i] = *ParameterVariable(i);
  const uint16_t pixels = PixelLimit();
  if (power > 1000) power = 500;
  if (pwrMode > 1) pwrMode = 0;
  if (vThd > 1023) vThd = 512;
  if (bVal > 1023) bVal = 60;
  if (polarity > 1) polarity = 1;
  if (eMode > 3) eMode = 4;
  if (eBeg > pixels) eBeg = 1;
  if (eEnd > pixels) eEnd = ccdmaxpixel;
  if (tVal > pixels) tVal = 512;
  if (tTol > 512) tTol = 128;
  if (iGain > 1) iGain = 0;
  if (ePoti > 1) ePoti = 1;
  if (pStart > 1023) pStart = 1;
  if (para15 > 1200) para15 = 1200;
  if (para15 < 800) para15 = 800;
  int replaced = 0;
  for (int i = 0; i < PNUM; ++i) replaced += before[i] != *ParameterVariable(i) ? 1 : 0;
  return replaced;
}
