#include "fit/fit_warnings.h"

#include "fit/pseudo_likelihood.h"

namespace tarn {

std::vector<FitWarning> fit_warnings(const FitResult& r) {
  std::vector<FitWarning> warnings;
  switch (r.end) {
    case FitEnd::dependent:
      warnings.push_back({"statistics_linearly_dependent",
                          "The statistics of the model are linearly dependent over the dyads: "
                          "no estimate. Leave out a parameter that the others determine."});
      return warnings;
    case FitEnd::wxsq_singular:
      warnings.push_back({"newton_inversion_failed",
                          "A Newton pass could not invert its weighted cross-product matrix: "
                          "no estimate."});
      return warnings;
    case FitEnd::completed:
      break;
  }
  if (r.too_many_iterations) {
    warnings.push_back({"pass_limit", "The estimates had not converged after the last of " +
                                          std::to_string(last_newton_pass - first_newton_pass + 1) +
                                          " Newton passes: the results are partial."});
  }
  if (r.zero_weight_dyads > 0) {
    warnings.push_back(
        {"fitted_probabilities_0_or_1",
         std::to_string(r.zero_weight_dyads) +
             " fitted probabilities came out as exactly 0 or 1 in the Newton and final passes: "
             "some estimate is very large, and the pseudo-likelihood estimate may not exist."});
  }
  if (r.final_inversion_failed) {
    warnings.push_back({"final_inversion_failed",
                        "The weighted cross-product matrix at the estimates could not be "
                        "inverted: no standard errors."});
  }
  return warnings;
}

bool fit_converged(const FitResult& r) {
  return r.end == FitEnd::completed && !r.too_many_iterations && !r.final_inversion_failed;
}

}  // namespace tarn
