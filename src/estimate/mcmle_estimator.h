#pragma once
// Maximum likelihood by MCMC from the pseudo-likelihood fit (or a given start): its settings,
// and what the results and the user are told of it.

#include <memory>
#include <string>
#include <vector>

#include "estimate/checked_fit.h"
#include "estimate/sampling_settings.h"
#include "mcmle/mcmle.h"
#include "model/study.h"
#include "mple/parameter_errors.h"
#include "network/warning.h"

namespace tarn {

struct McmleSettings {
  std::string init;  // coefficients to start from, as --init lists them; empty: the MPLE
  // Without init: coefficients to start from that another estimator gave; empty: the MPLE.
  std::vector<double> start;
  int sample_size = 1024;
  int max_iterations = 60;
  double error_precision = 0.05;  // McmleControl::error_precision
  bool bridge = true;  // false: no bridged log-likelihood (its reference knows no offsets)
};

struct McmleFit {
  std::shared_ptr<const McmleResult> result;
  FitResult shown;  // the start's fit with the MCMLE's estimate and covariance
  ParameterErrors errors;
  std::vector<Warning> warnings;
  bool converged() const { return result && result->end == McmleEnd::converged; }
};

// `progress` hears of every iteration; `spread` (if any) takes the chains to the processes of an
// MPI job. Throws UsageError for an init that does not fit the model.
McmleFit fit_by_mcmle(const McmleSettings& settings, const SamplingSettings& sampling,
                      const Study& study, const CheckedFit& start, const McmleProgress& progress,
                      const TaskSpread* spread = nullptr);

struct Estimate;
struct EstimatorSettings;
struct EstimatorProgress;

// The estimator's row (estimator_table.h): the settings it refuses (simulated errors), and the
// fit from the pseudo-likelihood estimate (at the written decays of a curved model).
void check_mcmle_settings(const EstimatorSettings& settings);
// Refuses an error_precision outside 0.01 to 0.5.
void check_error_precision(const McmleSettings& settings);
Estimate fit_by_mcmle(const Study& study, const EstimatorSettings& settings,
                      const EstimatorProgress& progress);

}  // namespace tarn
