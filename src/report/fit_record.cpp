#include "report/fit_record.h"

#include <cmath>

namespace tarn {

std::optional<double> FitRecord::aic() const {
  if (!log_likelihood) return std::nullopt;
  return -2.0 * *log_likelihood + 2.0 * result->parameter_count;
}

std::optional<double> FitRecord::bic() const {
  if (!log_likelihood) return std::nullopt;
  return -2.0 * *log_likelihood +
         result->parameter_count * std::log(static_cast<double>(result->dyad_count));
}

std::string fit_outcome(const FitRecord& record) {
  if (record.mcmle != nullptr) {
    switch (record.mcmle->end) {
      case McmleEnd::converged:
        return "converged";
      case McmleEnd::not_converged:
        return "not_converged";
      case McmleEnd::degenerate:
        return "degenerate";
    }
  }
  const FitResult& r = *record.result;
  if (!record.estimate_exists) return "estimate_does_not_exist";
  if (fit_converged(r)) return "converged";
  if (r.end == FitEnd::dependent) return "statistics_linearly_dependent";
  if (r.end == FitEnd::wxsq_singular) return "newton_inversion_failed";
  return r.too_many_iterations ? "pass_limit" : "final_inversion_failed";
}

}  // namespace tarn
