#include "sim/scene_line.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

#include "sim/gaussian_tables.h"
#include "sim/random.h"
#include "sim/scene_constants.h"

namespace sim {
namespace {

// Beyond this (in units of the edge's softness) the logistic of an edge is
// exactly 1 (exp(-50) is lost against 1) or small enough (below 2e-22) that
// the shadow's product vanishes against 1 as well.
constexpr double kEdgeReach = 50.0;

// Keeps the bounds clear of a half count by more than their own rounding.
constexpr double kRoundingSafety = 1e-9;

double Logistic(double x) {
  return 1.0 / (1.0 + std::exp(-x));
}

// The shadow's factor at pixel p exactly as the formula gives it.
double Shadow(int p, double left, double right) {
  const double a = (p - left) / kEdgeBlur;
  const double b = (right - p) / kEdgeBlur;
  if (a < -kEdgeReach || b < -kEdgeReach) return 0.0;
  if (a > kEdgeReach && b > kEdgeReach) return 1.0;
  return Logistic(a) * Logistic(b);
}

// Pixels safely beyond an edge's reach (two pixels to spare), where Shadow()
// is known without computing it: 0 before `lit_until` and from `lit_from`,
// 1 from `dark_from` to before `dark_until`.
struct ShadowSpans {
  long lit_until, dark_from, dark_until, lit_from;
  ShadowSpans(double left, double right) {
    const double reach = kEdgeReach * kEdgeBlur + 2.0;
    lit_until = static_cast<long>(std::floor(left - reach));
    lit_from = static_cast<long>(std::ceil(right + reach));
    dark_from = static_cast<long>(std::ceil(left + reach));
    dark_until = static_cast<long>(std::floor(right - reach));
  }
  double At(int p, double left, double right) const {
    if (p < lit_until || p > lit_from) return 0.0;
    if (p > dark_from && p < dark_until) return 1.0;
    return Shadow(p, left, right);
  }
};

// floor() for the levels' range, without the library's general case.
long Floor(double x) {
  const long t = static_cast<long>(x);
  return static_cast<double>(t) > x ? t - 1 : t;
}

uint16_t Clamp(long level) {
  return static_cast<uint16_t>(level < 0 ? 0 : level > 1023 ? 1023 : level);
}

// A pixel's level without noise, as the scene's formula gives it.
double Level(double lit, double shadow) {
  return kDarkLevel + lit * (1.0 - (1.0 - kResidual) * shadow);
}

}  // namespace

void SceneLine::BuildTables(int pixels, uint64_t seed) {
  pixels_ = pixels;
  seed_ = seed;
  const size_t n = static_cast<size_t>(std::max(pixels, 0));
  falloff_.assign(n, 0.0);
  spread_.assign(n, 0.0);
  pixel_mix_.assign(n, 0);
  lit_.assign(n, 0.0);
  levels_.assign(n, 0.0);
  light_ = -1.0;  // no light yet: the next line fills lit_
  shadow_rows_.clear();
  const double middle = (pixels + 1) / 2.0;
  for (int p = 1; p <= pixels; ++p) {
    const size_t i = static_cast<size_t>(p - 1);
    const double u = (p - middle) / (pixels / 2.0);
    falloff_[i] = 1.0 - kVignette * u * u;
    spread_[i] = 1.0 + kPixelSpread *
                           (2.0 * Unit(Hash3(seed, kPatternSalt, static_cast<uint64_t>(p))) - 1.0);
    pixel_mix_[i] = Mix64(static_cast<uint64_t>(p));
  }
}

const SceneLine::ShadowRow& SceneLine::ShadowAt(double left, double right, int pixels) {
  const std::pair<uint64_t, uint64_t> key{std::bit_cast<uint64_t>(left),
                                          std::bit_cast<uint64_t>(right)};
  if (const auto found = shadow_rows_.find(key); found != shadow_rows_.end()) return found->second;
  // A scene that never repeats its places must not grow without bound.
  if (shadow_rows_.size() >= kShadowRowsKept) shadow_rows_.clear();
  const ShadowSpans spans(left, right);
  ShadowRow row;
  row.first = static_cast<int>(std::clamp(spans.lit_until, 1L, static_cast<long>(pixels) + 1));
  const int last = static_cast<int>(std::clamp(spans.lit_from, 0L, static_cast<long>(pixels)));
  for (int p = row.first; p <= last; ++p) row.values.push_back(spans.At(p, left, right));
  return shadow_rows_.emplace(key, std::move(row)).first->second;
}

void SceneLine::Make(const SceneConfig& scene, int pixels, uint64_t seed, uint64_t step,
                     const Words& params, std::vector<uint16_t>* out) {
  if (pixels != pixels_ || seed != seed_) BuildTables(pixels, seed);
  const double light = LightLevel(params);
  if (light != light_) {
    light_ = light;
    for (size_t i = 0; i < lit_.size(); ++i) lit_[i] = light * falloff_[i] * spread_[i];
  }
  const double centre = ObjectCentre(scene, pixels, step);
  const double half = ObjectHalfWidth(scene, pixels);
  const ShadowRow& shadow = ShadowAt(centre - half, centre + half, pixels);
  const size_t shadow_from = static_cast<size_t>(shadow.first - 1);
  const size_t shadow_until = shadow_from + shadow.values.size();
  const GaussianTables& gaussian = GaussianTables::Get();
  const double noise = scene.noise;
  const bool noisy = noise > 0.0;
  const uint64_t noise_key = seed ^ kNoiseSalt;
  const uint64_t step_key = step;
  const size_t n = static_cast<size_t>(std::max(pixels, 0));
  out->resize(n);
  // The noise-free levels: full light, then the shadow's row over it.
  for (size_t i = 0; i < n; ++i) levels_[i] = Level(lit_[i], 0.0);
  for (size_t i = shadow_from; i < shadow_until; ++i)
    levels_[i] = Level(lit_[i], shadow.values[i - shadow_from]);
  if (!noisy) {
    for (size_t i = 0; i < n; ++i) (*out)[i] = Clamp(std::lround(levels_[i]));
    return;
  }
  for (int p = 1; p <= pixels; ++p) {
    const size_t i = static_cast<size_t>(p - 1);
    const double level = levels_[i];
    const uint64_t h = Mix64(noise_key ^ Mix64(step_key ^ pixel_mix_[i]));
    // Rounding is monotone, so where both bounds of the noisy level round
    // to the same count, the exact level does as well.
    const GaussianBounds g = gaussian.Bounds(h);
    const double low = level + noise * g.low;
    const double high = level + noise * g.high;
    const long whole = Floor(low + 0.5);
    const double below = low - static_cast<double>(whole);
    const double above = high - static_cast<double>(whole);
    if (below > kRoundingSafety - 0.5 && above < 0.5 - kRoundingSafety) {
      (*out)[i] = Clamp(whole);
    } else {
      const double exact = level + noise * Gaussian(noise_key, step, static_cast<uint64_t>(p));
      (*out)[i] = Clamp(std::lround(exact));
    }
  }
}

}  // namespace sim
