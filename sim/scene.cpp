#include "sim/scene.h"

#include <algorithm>
#include <cmath>

#include "sim/parameters.h"
#include "sim/random.h"

namespace sim {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kCountsPerPower = 1.6;
constexpr double kLowGain = 0.625;
constexpr double kBoost = 1.25;
constexpr double kVignette = 0.3;      // light lost at the ends of the line
constexpr double kPixelSpread = 0.02;  // fixed sensitivity deviation per pixel
constexpr double kEdgeBlur = 0.7;      // softness of the shadow's edges, pixels
constexpr double kResidual = 0.04;     // light the object lets through

// Salt values keep the fixed pattern and the noise independent of each other.
constexpr uint64_t kPatternSalt = 0x5049584Cull;
constexpr uint64_t kNoiseSalt = 0x4E4F4953ull;

double Logistic(double x) {
  return 1.0 / (1.0 + std::exp(-x));
}

}  // namespace

double LightLevel(const Words& params) {
  const double power = std::min<double>(params[kPower], 1000.0);
  double level = power * kCountsPerPower;
  if (params[kIGain] == 0) level *= kLowGain;
  if (params[kPwrMode] != 0) level *= kBoost;
  return level;
}

double ObjectCentre(const SceneConfig& scene, int pixels, uint64_t step) {
  double fraction = scene.object_centre;
  if (scene.drift != 0.0 && scene.drift_period > 0) {
    const double phase = 2.0 * kPi * static_cast<double>(step % scene.drift_period) /
                         static_cast<double>(scene.drift_period);
    fraction += scene.drift * std::sin(phase);
  }
  return fraction * pixels;
}

double ObjectHalfWidth(const SceneConfig& scene, int pixels) {
  return scene.object_width * pixels / 2.0;
}

std::vector<uint16_t> RawLine(const SceneConfig& scene, int pixels, uint64_t seed, uint64_t step,
                              const Words& params) {
  const double light = LightLevel(params);
  const double centre = ObjectCentre(scene, pixels, step);
  const double half = ObjectHalfWidth(scene, pixels);
  const double left = centre - half;
  const double right = centre + half;
  const double middle = (pixels + 1) / 2.0;
  std::vector<uint16_t> line(static_cast<size_t>(pixels));
  for (int p = 1; p <= pixels; ++p) {
    const double u = (p - middle) / (pixels / 2.0);
    const double spread =
        1.0 +
        kPixelSpread * (2.0 * Unit(Hash3(seed, kPatternSalt, static_cast<uint64_t>(p))) - 1.0);
    const double lit = light * (1.0 - kVignette * u * u) * spread;
    const double shadow = Logistic((p - left) / kEdgeBlur) * Logistic((right - p) / kEdgeBlur);
    double level = kDarkLevel + lit * (1.0 - (1.0 - kResidual) * shadow);
    if (scene.noise > 0.0) {
      level += scene.noise * Gaussian(seed ^ kNoiseSalt, step, static_cast<uint64_t>(p));
    }
    line[static_cast<size_t>(p - 1)] =
        static_cast<uint16_t>(std::clamp(std::lround(level), 0L, 1023L));
  }
  return line;
}

}  // namespace sim
