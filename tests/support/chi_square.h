#pragma once
// The upper tail of the chi-square distribution, for tests that compare draws with exact
// probabilities.

#include <cmath>

namespace tarn::test {

// The upper tail with `df` degrees of freedom at x (Wilson-Hilferty), enough to tell 1e-3 from
// 1e-8.
inline double chi_square_tail(double x, int df) {
  const double k = df;
  const double z = (std::cbrt(x / k) - (1.0 - 2.0 / (9.0 * k))) / std::sqrt(2.0 / (9.0 * k));
  return 0.5 * std::erfc(z / std::sqrt(2.0));
}

}  // namespace tarn::test
