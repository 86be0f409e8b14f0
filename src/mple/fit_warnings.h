#pragma once
// What a fit's result warns of, as codes and figures (network/warning.h); the front end words
// them.

#include <vector>

#include "mple/fit_result.h"
#include "network/warning.h"

namespace tarn {

// statistics_linearly_dependent, newton_inversion_failed, pass_limit (figure: passes),
// fitted_probabilities_0_or_1 (dyads), final_inversion_failed.
std::vector<Warning> fit_warnings(const FitResult& result);

// True when the fit reached its final pass with converged estimates and a covariance matrix.
bool fit_converged(const FitResult& result);

}  // namespace tarn
