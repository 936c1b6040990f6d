#include "fields/micrometres.h"

#include <cmath>

namespace fields {
namespace {
// The pixel pitches of the sensor's lines, nanometres: the 7.8 um line (type 1,
// and any sensor not yet identified) and the two 25 um lines (types 2 and 3).
constexpr int32_t kPitch78Nm = 7800;
constexpr int32_t kPitch25Nm = 25000;
}  // namespace

int32_t PixelPitchNm(int ccdType) {
  return (ccdType == 2 || ccdType == 3) ? kPitch25Nm : kPitch78Nm;
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
