// The sensor's 16 parameter words: their places, the power-on defaults and the
// accepted ranges, and the CCD types the sensor can carry.
#pragma once

#include <cstdint>

#include "sim/protocol.h"

namespace sim {

// Word index of each parameter in a parameter set.
enum Param : int {
  kPower = 0,     // light power 0..1000
  kPwrMode = 1,   // 0 normal, 1 boost (light x 1.25)
  kVThd = 2,      // video threshold, counts 0..1023
  kBVal = 3,      // background value for background mode 1, counts
  kPolarity = 4,  // 1: the object is dark (shadow), 0: the object is bright
  kEMode = 5,     // 0 first edge, 1 second edge, 2 width x scale, 3 centre
  kEBeg = 6,      // evaluation window, first pixel
  kEEnd = 7,      // evaluation window, last pixel
  kTVal = 8,      // teach value (set-point), pixels
  kTTol = 9,      // tolerance, pixels
  kIGain = 10,    // 1 high video gain, 0 low
  kEPoti = 11,    // tolerance-enable switch (stored, not evaluated)
  kCcdMode = 12,  // 0 whole line, 1 window from pStart, 2 window the sensor picks
  kPStart = 13,   // first pixel of the 256-pixel window in CCD mode 1
  kBMode = 14,    // 0 none, 1 subtract bVal, 2 taught background
  kPara15 = 15,   // scale factor for eMode 2, thousandths
};

// CCD types 1, 2, 3: 1024, 1024 and 512 pixels; the resolution word is the
// pixel pitch in 0.1 um (78, 250, 250).
constexpr bool IsCcdType(int type) {
  return type >= 1 && type <= 3;
}
int CcdPixels(int type);      // 1024 for unknown types
int CcdResolution(int type);  // pitch in 0.1 um

// The power-on parameter set: 500 0 512 64 1 1 1 <pixels> 512 100 1 1 0 1 0 1000.
Words DefaultParameters(int ccd_type);

// True when every word lies in its accepted range (eMode 0..3, ccdMode and
// bMode 0..2, scale factor 800..1200, the others as listed above). The
// sensor uses this to tell a parameter set from other words the PC re-sends
// (its last measurement or CCD information reply): those carry 0 in word 15,
// which is never a valid scale factor.
bool IsParameterSet(const Words& words);

}  // namespace sim
