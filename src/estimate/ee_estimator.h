#pragma once
// The equilibrium-expectation estimator: equilibrium expectation (ee/) from the pseudo-likelihood
// estimate (or --init), then maximum likelihood by MCMC from its estimate, whose sample checks it
// and gives the errors and the verdict. The MCMC part starts near the estimate, so that it needs
// few iterations where a start far from it needs many.

#include "estimate/estimate.h"
#include "model/study.h"

namespace tarn {

void check_ee_settings(const EstimatorSettings& settings);

Estimate fit_by_equilibrium_expectation(const Study& study, const EstimatorSettings& settings,
                                        const EstimatorProgress& progress);

}  // namespace tarn
