#pragma once
// The pseudo-likelihood estimator: the fit and its existence check, with naive errors (the
// inverse Hessian), or Godambe or bootstrap errors from networks simulated at the estimate.

#include <string>

#include "estimate/estimate.h"
#include "model/study.h"
#include "simulate/simulation_errors.h"

namespace tarn {

// Throws UsageError naming --se for a name that is no method of errors.
ErrorMethod error_method_named(const std::string& name);

void check_pseudo_likelihood_settings(const EstimatorSettings& settings);

Estimate fit_by_pseudo_likelihood(const Study& study, const EstimatorSettings& settings,
                                  const EstimatorProgress& progress);

}  // namespace tarn
