#include "sim/scene.h"

#include <algorithm>
#include <cmath>

#include "sim/parameters.h"
#include "sim/scene_line.h"

namespace sim {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kCountsPerPower = 1.6;
constexpr double kLowGain = 0.625;
constexpr double kBoost = 1.25;

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
  std::vector<uint16_t> line;
  SceneLine().Make(scene, pixels, seed, step, params, &line);
  return line;
}

}  // namespace sim
