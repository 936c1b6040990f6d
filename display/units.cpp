#include "display/units.h"

#include <cmath>

#include "link/sensor_info.h"
#include "param/params.h"

int32_t PixelPitch() {
  // Types 2 and 3 are the 25 um lines; type 1 and a sensor not yet (or not
  // recognisably) identified keep the 7.8 um line's pitch.
  return (ccdtype == 2 || ccdtype == 3) ? PPITCH_25UM : PPITCH;
}

uint16_t MicrometresInt(uint16_t pixels) {
  const int32_t micrometres = (PixelPitch() * static_cast<int32_t>(pixels)) / 1000;
  return static_cast<uint16_t>(micrometres & 0xFFFF);
}

uint16_t MicrometresScaled(uint16_t pixels) {
  const double micrometres =
      static_cast<double>(scaleF) * PixelPitch() * static_cast<double>(pixels) / 1000.0;
  // A factor the control never offers (not finite, or huge) must not make the
  // conversion to an integer undefined.
  if (!std::isfinite(micrometres) || std::fabs(micrometres) >= 9.0e18) return 0;
  const int64_t truncated = static_cast<int64_t>(micrometres);
  return static_cast<uint16_t>(truncated & 0xFFFF);
}
