#pragma once
// One row per parameter, its columns named as the JSON results name them: term, estimate,
// std_error, z (the Wald z), p_value (two-sided normal), conf_low, conf_high (95%: Wald, or the
// bootstrap's percentile interval), type (the configuration type 1..16, 0 for any other term),
// block_type (0 for a parameter of every dyad), exp_estimate; then std_error_method (naive,
// godambe, bootstrap or mcmle: the method of the errors given), outcome (the JSON outcome, so that
// a row of a fit without an estimate cannot pass for a result), method (mple, mcmle or ee),
// mcmc_error_percent (the Monte Carlo share of the variance, for mcmle) and directed (TRUE or
// FALSE, as R reads a logical). NA only where there is no value (a number that is not finite,
// the Monte Carlo share of a pseudo-likelihood fit): type and block_type always have one, so
// that R and pandas read them as integer columns.

#include <ostream>
#include <string>

#include "tarnwick/results/estimate.h"

namespace tarn {

void write_tidy_csv(const tarnwick::Estimate& estimate, std::ostream& out);

// A number as the shortest text that reads back to the same double; NA when not finite.
std::string csv_number(double value);
// A field as CSV writes it: quoted when it holds a comma, a quote or a line break.
std::string csv_text(const std::string& text);

}  // namespace tarn
