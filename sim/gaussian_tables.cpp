#include "sim/gaussian_tables.h"

#include <cmath>

namespace sim {
namespace {

constexpr double kTwoPi = 6.283185307179586;  // as Gaussian() multiplies
// Covers the libm's last-place errors at the table ends and in Gaussian().
constexpr double kSlack = 1e-12;

double Radius(double u1) {
  return std::sqrt(-2.0 * std::log(u1));
}

}  // namespace

const GaussianTables& GaussianTables::Get() {
  static const GaussianTables tables;
  return tables;
}

GaussianTables::GaussianTables() {
  // Interval k of the uniform v = Unit(h) is [k, k + 1) / n; u1 = 1 - v, so
  // the radius runs from Radius(1 - k / n) up to Radius(1 - (k + 1) / n),
  // and for the last interval up to u1's least value, 2^-53.
  const size_t n = radius_.size();
  for (size_t k = 0; k < n; ++k) {
    const double low = Radius(1.0 - static_cast<double>(k) / static_cast<double>(n));
    const double high = k + 1 < n
                            ? Radius(1.0 - static_cast<double>(k + 1) / static_cast<double>(n))
                            : Radius(0x1p-53);
    radius_[k] = {std::max(0.0, low - kSlack), high + kSlack};
  }
  // The angle 2 pi u2 of interval k lies between the products at its ends.
  const size_t m = cosine_.size();
  for (size_t k = 0; k < m; ++k) {
    const double a = std::cos(kTwoPi * (static_cast<double>(k) / static_cast<double>(m)));
    const double b = std::cos(kTwoPi * (static_cast<double>(k + 1) / static_cast<double>(m)));
    cosine_[k] = {std::min(a, b) - kSlack, std::max(a, b) + kSlack};
  }
}

}  // namespace sim
