// Bounds on Box-Muller's normal value for a hash (see Gaussian() in
// sim/random.h) without a logarithm or a cosine: its radius
// sqrt(-2 ln u1) is increasing in u1's uniform, and its cosine is monotone
// between table angles (0 and pi fall on table angles), so tables of both at
// the ends of small intervals of the uniforms bound the value. A caller that
// rounds the value takes the rounding both bounds agree on, and calls
// Gaussian() itself only for the few values whose bounds straddle a
// rounding boundary, so what it produces stays exactly what Gaussian() gives.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "sim/random.h"

namespace sim {

struct GaussianBounds {
  double low, high;
};

class GaussianTables {
 public:
  static const GaussianTables& Get();

  // low <= the Gaussian value for h = Hash3(a, b, c) <= high.
  GaussianBounds Bounds(uint64_t h) const {
    // Gaussian() takes u1 = 1 - Unit(h) and u2 = Unit(Mix64(h)); the top
    // bits of each hash pick the interval their uniform lies in.
    const Pair& r = radius_[h >> (64 - kRadiusBits)];
    const Pair& c = cosine_[Mix64(h) >> (64 - kCosineBits)];
    // The radius is never negative: the cosine's sign picks the corners.
    return {std::min(r.low * c.low, r.high * c.low), std::max(r.low * c.high, r.high * c.high)};
  }

 private:
  static constexpr int kRadiusBits = 12;
  static constexpr int kCosineBits = 11;
  struct Pair {
    double low, high;
  };

  GaussianTables();

  std::array<Pair, 1 << kRadiusBits> radius_{};
  std::array<Pair, 1 << kCosineBits> cosine_{};
};

}  // namespace sim
