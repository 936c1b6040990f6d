#include "fields/micrometres.h"

#include <cmath>

#include "param/params.h"  // PPITCH, PPITCH_25UM: constants only, nothing linked

namespace fields {

int32_t PixelPitchNm(int ccdType) {
  return (ccdType == 2 || ccdType == 3) ? PPITCH_25UM : PPITCH;
}

int32_t MicrometresInt(uint16_t pixels, int32_t pitchNm) {
  // 65535 pixels at 25000 nm stay below 2^31.
  return (pitchNm * static_cast<int32_t>(pixels)) / 1000;
}

int64_t MicrometresScaled(uint16_t pixels, int32_t pitchNm, float scale) {
  const double micrometres =
      static_cast<double>(scale) * pitchNm * static_cast<double>(pixels) / 1000.0;
  // A factor no control offers (not finite, or huge) must not make the
  // conversion to an integer undefined.
  if (!std::isfinite(micrometres) || std::fabs(micrometres) >= 9.0e18) return 0;
  return static_cast<int64_t>(micrometres);
}

int64_t Micrometres(const Word& word, uint16_t pixels, int32_t pitchNm, float scale) {
  switch (word.micrometres) {
    case MicrometreRule::kPitch:
      return MicrometresInt(pixels, pitchNm);
    case MicrometreRule::kPitchScaled:
      return MicrometresScaled(pixels, pitchNm, scale);
    case MicrometreRule::kNone:
      break;
  }
  return pixels;
}

}  // namespace fields
