#pragma once
// The standard errors of a fit's estimates: the naive ones of the pseudo-likelihood (the inverse
// of the weighted cross-product matrix), or ones from simulated networks (Godambe, bootstrap).
// Every report derives its standard errors, Wald statistics, intervals and correlations from
// the covariance matrix held here.

#include <string>
#include <vector>

#include "mple/fit_result.h"

namespace tarn {

struct ParameterErrors {
  std::string method = "naive";  // naive, godambe or bootstrap
  ParamMatrix covariance;
  // Percentile intervals by parameter (the bootstrap's); empty: 95% Wald intervals.
  std::vector<double> lower, upper;
  // One line that names the method and its settings, for the report; empty for the naive ones.
  std::string description;
  // The share of each parameter's variance that comes from sampling the empty dyads (a
  // case-control pseudo-likelihood), in percent; empty for a fit over every dyad.
  std::vector<double> sampling_percent;
};

inline ParameterErrors naive_errors(const FitResult& result) {
  ParameterErrors errors;
  errors.covariance = result.covariance;
  return errors;
}

// One parameter's line of the results.
struct ParameterRow {
  double estimate = 0, std_error = 0, wald = 0, z = 0, p_value = 0, exp_estimate = 0;
  double conf_low = 0, conf_high = 0;
};

std::vector<ParameterRow> parameter_rows(const FitResult& result, const ParameterErrors& errors);

}  // namespace tarn
