#include "simulate/quantile.h"

#include <cmath>
#include <limits>

namespace tarn {

double quantile_type7(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return std::numeric_limits<double>::quiet_NaN();
  const double position = static_cast<double>(sorted.size() - 1) * p;
  const auto below = static_cast<std::size_t>(std::floor(position));
  if (below + 1 >= sorted.size()) return sorted.back();
  const double fraction = position - static_cast<double>(below);
  // Equal neighbours give their own value, infinite ones too (inf - inf would be NaN).
  if (fraction == 0.0 || sorted[below] == sorted[below + 1]) return sorted[below];
  return sorted[below] + fraction * (sorted[below + 1] - sorted[below]);
}

}  // namespace tarn
