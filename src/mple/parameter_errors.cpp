#include "mple/parameter_errors.h"

#include <cmath>
#include <limits>

#include "mple/fit_summary.h"

namespace tarn {

std::vector<ParameterRow> parameter_rows(const FitResult& result, const ParameterErrors& errors) {
  std::vector<ParameterRow> rows;
  const bool estimated = result.end == FitEnd::completed;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int p = 1; p <= result.parameter_count; ++p) {
    ParameterRow row;
    row.estimate = estimated ? result.estimate(p) : nan;
    row.std_error = estimated ? standard_error(errors.covariance, p) : nan;
    row.wald = wald_statistic(row.estimate, row.std_error);
    row.z = z_statistic(row.estimate, row.std_error);
    row.p_value = two_sided_p_value(row.z);
    row.exp_estimate = std::exp(row.estimate);
    const auto k = static_cast<std::size_t>(p - 1);
    if (k < errors.lower.size() && k < errors.upper.size()) {
      row.conf_low = errors.lower[k];
      row.conf_high = errors.upper[k];
    } else {
      row.conf_low = row.estimate - normal_975 * row.std_error;
      row.conf_high = row.estimate + normal_975 * row.std_error;
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace tarn
