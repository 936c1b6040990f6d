// Makes the raw video line of the scene (see sim/scene.h) fast enough that the
// simulated sensor never limits an unpaced loop, with exactly the same counts
// as the per-pixel formula:
//  - the lighting's fall-off and the pixels' fixed deviations come from tables
//    built once per pixel count and seed;
//  - the lit levels are kept until the light changes;
//  - the shadow's soft edges are computed only near an edge (farther out the
//    formula gives exactly full light or exactly the object's residual), once
//    per place of the object: it returns to the same places every swing;
//  - the noise is bounded from tables (sim/gaussian_tables.h); the exact
//    value is computed only for the few levels whose bounds do not round to
//    the same count.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
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
  // The shadow's factor from pixel `first` on; 0 beyond the row.
  struct ShadowRow {
    int first = 1;
    std::vector<double> values;
  };
  static constexpr size_t kShadowRowsKept = 1024;

  void BuildTables(int pixels, uint64_t seed);
  // The row for the object between `left` and `right` (pixels).
  const ShadowRow& ShadowAt(double left, double right, int pixels);

  int pixels_ = -1;
  uint64_t seed_ = 0;
  std::vector<double> falloff_;      // 1 - kVignette u^2
  std::vector<double> spread_;       // the pixel's fixed sensitivity factor
  std::vector<uint64_t> pixel_mix_;  // Mix64(p), the innermost step of its noise hash
  double light_ = -1.0;              // the light lit_ was made for
  std::vector<double> lit_;          // light x falloff x spread
  std::vector<double> levels_;       // the line being made, before noise and rounding
  std::map<std::pair<uint64_t, uint64_t>, ShadowRow> shadow_rows_;  // by the edges' bits
};

}  // namespace sim
