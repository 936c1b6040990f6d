// Makes the raw video line of the scene (see sim/scene.h) fast enough that the
// simulated sensor never limits an unpaced loop, with exactly the same counts
// as the per-pixel formula:
//  - the lighting's fall-off and the pixels' fixed deviations come from tables
//    built once per pixel count and seed;
//  - the shadow's soft edges are computed only within kEdgeReach pixels of an
//    edge: farther out the formula gives exactly full light or exactly the
//    object's residual;
//  - the noise is bounded from tables (sim/gaussian_tables.h); the exact
//    value is computed only for the few levels whose bounds do not round to
//    the same count.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/protocol.h"
#include "sim/scene.h"

namespace sim {

class SceneLine {
 public:
  // The raw line at `step` into *out (resized to `pixels`).
  void Make(const SceneConfig& scene, int pixels, uint64_t seed, uint64_t step, const Words& params,
            std::vector<uint16_t>* out);

 private:
  void BuildTables(int pixels, uint64_t seed);

  int pixels_ = -1;
  uint64_t seed_ = 0;
  std::vector<double> falloff_;      // 1 - kVignette u^2
  std::vector<double> spread_;       // the pixel's fixed sensitivity factor
  std::vector<uint64_t> pixel_mix_;  // Mix64(p), the innermost step of its noise hash
};

}  // namespace sim
