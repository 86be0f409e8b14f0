#pragma once
// What a fit's result warns of, as codes for programs and sentences for people.

#include <string>
#include <vector>

#include "fit/fit_result.h"

namespace tarn {

struct FitWarning {
  std::string code;
  std::string message;
};

// pass_limit, fitted_probabilities_0_or_1, statistics_linearly_dependent,
// newton_inversion_failed, final_inversion_failed.
std::vector<FitWarning> fit_warnings(const FitResult& result);

// True when the fit reached its final pass with converged estimates and a covariance matrix.
bool fit_converged(const FitResult& result);

}  // namespace tarn
