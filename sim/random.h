// Reproducible randomness for the simulated sensor: stateless hashes (so a
// pixel's noise depends only on the seed, the scene step and the pixel, never
// on what was asked before) and a small sequential generator.
#pragma once

#include <cmath>
#include <cstdint>

namespace sim {

// splitmix64 finaliser: a good 64-bit mix.
inline uint64_t Mix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

inline uint64_t Hash3(uint64_t a, uint64_t b, uint64_t c) {
  return Mix64(a ^ Mix64(b ^ Mix64(c)));
}

// Uniform in [0, 1).
inline double Unit(uint64_t h) {
  return static_cast<double>(h >> 11) * 0x1.0p-53;
}

// Standard normal value for the triple (a, b, c) (Box-Muller).
inline double Gaussian(uint64_t a, uint64_t b, uint64_t c) {
  const uint64_t h = Hash3(a, b, c);
  const double u1 = 1.0 - Unit(h);  // (0, 1]
  const double u2 = Unit(Mix64(h));
  return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

// Sequential generator for fault bytes and moments.
class Prng {
 public:
  explicit Prng(uint64_t seed) : state_(seed) {}
  uint64_t Next() { return Mix64(state_++); }
  // Uniform in 0..n-1 (n > 0).
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

 private:
  uint64_t state_;
};

}  // namespace sim
