#include "report/fit_record.h"

namespace tarn {

std::string fit_outcome(const FitRecord& record) {
  const FitResult& r = *record.result;
  if (!record.estimate_exists) return "estimate_does_not_exist";
  if (fit_converged(r)) return "converged";
  if (r.end == FitEnd::dependent) return "statistics_linearly_dependent";
  if (r.end == FitEnd::wxsq_singular) return "newton_inversion_failed";
  return r.too_many_iterations ? "pass_limit" : "final_inversion_failed";
}

}  // namespace tarn
