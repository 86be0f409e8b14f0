#pragma once
// A fit as ergm's summary() prints one: the formula, the estimator's heading, the coefficient
// table (Estimate, Std. Error, MCMC %, z value, Pr(>|z|) and stars, as R's printCoefmat lays it
// out with ergm's 4 digits), the null and residual deviances with their degrees of freedom, AIC
// and BIC, and the terms fixed by offsets. Where the fit has no likelihood (the
// pseudo-likelihood of a dependent model) it says so instead of printing a pseudo-deviance.

#include <ostream>

#include "tarnwick/results/estimate.h"

namespace tarn {

void write_ergm_summary(const tarnwick::Estimate& estimate, std::ostream& out);

}  // namespace tarn
