#pragma once
// The figures that reports derive from a fit, computed in one place so that every report prints
// the same numbers.

#include <cmath>
#include <cstdint>

#include "mple/fit_result.h"

namespace tarn {

// Twice the gain in log-likelihood over the model that gives every dyad the tie probability one
// half, taken in the order 2((N ln 2 + null) + loglik - null); not a number with the null model.
inline double model_chisquare(const FitResult& r) {
  return 2.0 * ((static_cast<double>(r.dyad_count) * std::log(2.0) + r.null_loglik) + r.loglik -
                r.null_loglik);
}

// Parameter p (1-based).
inline double standard_error(const ParamMatrix& covariance, int p) {
  return std::sqrt(covariance(p, p));
}
inline double wald_statistic(double estimate, double standard_error) {
  const double ratio = estimate / standard_error;
  return ratio * ratio;
}
inline double correlation(const ParamMatrix& covariance, int p, int q) {
  return covariance(p, q) / (standard_error(covariance, p) * standard_error(covariance, q));
}

// The Wald z of an estimate, its two-sided p-value under the standard normal, and the 97.5%
// point of the standard normal (for 95% intervals).
inline double z_statistic(double estimate, double standard_error) {
  return estimate / standard_error;
}
inline double two_sided_p_value(double z) {
  return std::erfc(std::fabs(z) / std::sqrt(2.0));
}
inline constexpr double normal_975 = 1.959963984540054;

// Share of a row's dyads classified correctly, in percent; 0 / 0 (a row without dyads) is NaN.
inline double percent(std::int64_t right, std::int64_t total) {
  return 100.0 * static_cast<double>(right) / static_cast<double>(total);
}

}  // namespace tarn
