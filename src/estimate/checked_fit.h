#pragma once
// The fit that every command makes from the data: the pseudo-likelihood fit, its warnings, and
// the check that its estimate exists (estimate_existence.h), said in plain words when it does
// not (warning estimate_does_not_exist: separated_dyads, direction). fit reports it; simulate and
// gof draw networks from it only when it is usable.

#include <string>
#include <vector>

#include "mple/estimate_existence.h"
#include "mple/fit_result.h"
#include "mple/fit_warnings.h"
#include "mple/pseudo_likelihood.h"

namespace tarn {

struct CheckedFit {
  FitResult result;
  // The fit's warnings (fit_warnings.h), then estimate_does_not_exist when it does not exist.
  std::vector<Warning> warnings;
  bool estimate_exists = true;

  // True when the fit converged to an estimate that exists: one to report and simulate from.
  bool usable() const { return fit_converged(result) && estimate_exists; }
};

// A model with curved terms has no pseudo-likelihood fit: throws SettingError naming its first
// curved term, and `instead` (what to give; "{k}" names settings[k] in each front end's words).
void refuse_curved(const Model& model, const std::string& instead,
                   std::vector<std::string> settings = {});

// Throws what check_estimate_existence throws.
CheckedFit fit_and_check(const Study& study, CancelFlag cancel = nullptr);

// Notes in `fit` that its estimate does not exist, when the check found so.
void add_existence(const EstimateExistence& existence, const Model& model, CheckedFit& fit);

}  // namespace tarn
