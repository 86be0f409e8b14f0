#pragma once
// The estimators, one row each: a name as --method takes it, a line that says what it does, the
// check of the settings it takes, and the function that fits a study. A new estimator is a
// folder of its own and one row here.

#include <span>
#include <string>
#include <string_view>

#include "estimate/estimate.h"
#include "model/study.h"

namespace tarn {

struct Estimator {
  std::string_view name;
  std::string_view description;
  // Draws networks for its estimate: it takes a start (--init) and gives MCMC diagnostics, and
  // neither the self-pairs nor the dialogue's report.
  bool by_mcmc = false;
  // Throws UsageError for settings this estimator does not take.
  void (*check)(const EstimatorSettings& settings);
  // Throws UsageError for a model or settings that do not fit the study (a curved model for the
  // pseudo-likelihood, a model that cannot be simulated for simulated errors).
  Estimate (*fit)(const Study& study, const EstimatorSettings& settings,
                  const EstimatorProgress& progress);
};

std::span<const Estimator> estimator_table();

// The row of `name`; throws UsageError naming --method and the names there are.
const Estimator& estimator_named(std::string_view name);

}  // namespace tarn
