#pragma once
// The estimators, one row each: a name as --method takes it, a line that says what it does, the
// check of the settings it takes, and the function that fits a study. A new estimator is a
// folder of its own and one row here.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "estimate/estimate.h"
#include "estimate/valued_ee_estimator.h"
#include "model/study.h"

namespace tarn {

struct Estimator {
  std::string_view name;
  std::string_view description;
  // Draws networks for its estimate: it takes a start (--init) and gives MCMC diagnostics, and
  // neither the self-pairs nor the dialogue's report.
  bool by_mcmc = false;
  // The settings of its own that it takes, by key (network/setting_error.h): "replicates",
  // "dyad_sample", "init", "sample_size", "max_iterations", "ee.tasks", ... A setting of another
  // estimator given to it is refused, naming the estimators that take it.
  std::span<const std::string_view> settings;
  // Throws UsageError for values of its settings that it does not take.
  void (*check)(const EstimatorSettings& settings);
  // Throws UsageError for a model or settings that do not fit the study (a curved model for the
  // pseudo-likelihood, a model that cannot be simulated for simulated errors).
  Estimate (*fit)(const Study& study, const EstimatorSettings& settings,
                  const EstimatorProgress& progress);
  // Fits a model of counts; null when the estimator has none, for the reason `counts_refusal`
  // gives.
  ValuedEeFit (*fit_counts)(const CountsFit& fit);
  std::string_view counts_refusal;
};

std::span<const Estimator> estimator_table();

// The row of `name`; throws SettingError naming the method setting and the names there are.
const Estimator& estimator_named(std::string_view name);

// The estimators' own settings given other values than their defaults, by key.
std::vector<std::string> given_estimator_settings(const EstimatorSettings& settings);

// Throws SettingError for a setting given that the estimator does not take, then its own check.
void check_estimator_settings(const Estimator& estimator, const EstimatorSettings& settings);

}  // namespace tarn
