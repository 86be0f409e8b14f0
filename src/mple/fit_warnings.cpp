#include "mple/fit_warnings.h"

#include "mple/pseudo_likelihood.h"

namespace tarn {

std::vector<Warning> fit_warnings(const FitResult& r) {
  std::vector<Warning> warnings;
  switch (r.end) {
    case FitEnd::dependent:
      warnings.push_back({"statistics_linearly_dependent"});
      return warnings;
    case FitEnd::wxsq_singular:
      warnings.push_back({"newton_inversion_failed"});
      return warnings;
    case FitEnd::completed:
      break;
  }
  if (r.unbounded) {
    warnings.push_back(Warning{"estimates_unbounded"}.add_count("passes", r.newton_passes));
  } else if (r.too_many_iterations) {
    warnings.push_back(Warning{"pass_limit"}.add_count("passes", r.newton_passes));
  }
  if (r.zero_weight_dyads > 0) {
    warnings.push_back(
        Warning{"fitted_probabilities_0_or_1"}.add_count("dyads", r.zero_weight_dyads));
  }
  if (r.final_inversion_failed) warnings.push_back({"final_inversion_failed"});
  return warnings;
}

bool fit_converged(const FitResult& r) {
  return r.end == FitEnd::completed && !r.too_many_iterations && !r.final_inversion_failed;
}

}  // namespace tarn
