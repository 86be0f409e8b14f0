#pragma once
// The upper tail of the chi-square distribution, for tests that compare draws with exact
// probabilities.

#include <algorithm>
#include <cmath>
#include <map>

namespace tarn::test {

// The upper tail with `df` degrees of freedom at x (Wilson-Hilferty), enough to tell 1e-3 from
// 1e-8.
inline double chi_square_tail(double x, int df) {
  const double k = df;
  const double z = (std::cbrt(x / k) - (1.0 - 2.0 / (9.0 * k))) / std::sqrt(2.0 / (9.0 * k));
  return 0.5 * std::erfc(z / std::sqrt(2.0));
}

// The p-value of draws counted by cell against the cells' exact probabilities, the cells with an
// expected count below 5 pooled into one.
template <class Cell>
double chi_square_p(const std::map<Cell, double>& exact, const std::map<Cell, double>& count,
                    int draws) {
  double chi = 0.0, pooled_expected = 0.0, pooled_observed = 0.0;
  int cells = 0;
  for (const auto& [cell, p] : exact) {
    const double expected = p * draws;
    const double observed = count.count(cell) ? count.at(cell) : 0.0;
    if (expected < 5) {
      pooled_expected += expected, pooled_observed += observed;
      continue;
    }
    chi += (observed - expected) * (observed - expected) / expected;
    ++cells;
  }
  if (pooled_expected > 0) {
    chi += (pooled_observed - pooled_expected) * (pooled_observed - pooled_expected) /
           std::max(pooled_expected, 1.0);
    ++cells;
  }
  return chi_square_tail(chi, std::max(cells - 1, 1));
}

}  // namespace tarn::test
