#pragma once
// What every estimator gives: the estimate with its covariance and errors, how the fit ended,
// the log-likelihood where it is known, the warnings as values, and the estimator's own record
// (the MCMC run's iterations and draws) for its diagnostics. The estimators are the rows of one
// table (estimator_table.h).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ee/equilibrium_expectation.h"
#include "estimate/checked_fit.h"
#include "estimate/ee_check.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/sampling_settings.h"
#include "mcmle/mcmle.h"
#include "mple/parameter_errors.h"
#include "network/warning.h"

namespace tarn {

// The pseudo-likelihood over every linked dyad and a sample of the empty ones (dyad_sample.h).
struct DyadSampleRecord {
  std::int64_t linked_dyads = 0, empty_dyads = 0, controls = 0;
  bool every_empty_dyad = false;  // else drawn uniformly with replacement
  double control_weight = 0.0;
  std::uint64_t seed = 0;
  bool automatic = false;  // the default sample of a network too large to sweep
};

// Equilibrium expectation's run, its settings and start, and the check of its estimate by
// networks drawn at it (none for a curved model, or after a chain filled the link store).
struct EeRecord {
  EeSettings settings;
  EeResult result;
  std::vector<double> start;
  std::optional<EeCheck> check;
};

struct Estimate {
  std::string method;  // the estimator's name in the table
  // The pseudo-likelihood fit: the estimate itself for mple, the start of the others.
  CheckedFit start;
  FitResult result;  // the estimate and its covariance as reported
  ParameterErrors errors;
  std::vector<Warning> warnings;  // of the estimate and of its errors
  bool estimate_exists = true;    // false when the existence check found none
  bool converged = false;         // an estimate to report and simulate from
  bool errors_failed = false;     // the networks simulated for the errors turned degenerate
  // Exact for a dyad-independent model, bridged for MCMLE; nothing for a pseudo-likelihood fit
  // of a dependent model.
  std::optional<double> log_likelihood;
  // "converged", or what kept the fit from an estimate (pseudo_likelihood_outcome, or the
  // MCMC fit's not_converged or degenerate).
  std::string outcome;
  // The Monte Carlo share of each coefficient's standard error, in percent; empty for an
  // estimator without simulation in its estimate.
  std::vector<double> mcmc_error_percent;
  // The estimator's own records for the results: the MCMC run, equilibrium expectation's run
  // and check, the sample of empty dyads (each null or empty where the estimator made none).
  std::shared_ptr<const McmleResult> mcmle;
  std::shared_ptr<const EeRecord> equilibrium;
  std::optional<DyadSampleRecord> dyad_sample;
  // The pseudo-likelihood's fit figures (deviance, residuals, classification) describe this
  // estimate: true where the estimate is the pseudo-likelihood's own.
  bool pseudo_likelihood_figures = false;

  // The fit did what it was asked: an estimate, and errors of the method asked for.
  bool succeeded() const { return converged && !errors_failed; }
};

// How a pseudo-likelihood fit ended: "converged" when it converged to an estimate that exists;
// otherwise what kept it from one: estimate_does_not_exist (before any other),
// statistics_linearly_dependent, newton_inversion_failed, pass_limit, estimates_unbounded or
// final_inversion_failed.
std::string pseudo_likelihood_outcome(const FitResult& result, bool estimate_exists);

struct EstimatorSettings {
  std::string errors = "naive";  // of the pseudo-likelihood: naive, godambe or bootstrap
  int replicates = 500;
  McmleSettings mcmle;
  EeSettings ee;
  SamplingSettings sampling;
  const TaskSpread* spread = nullptr;  // the processes of an MPI job; null: this process
};

// What an estimator tells of its progress: every MCMLE iteration, a counter of replicates
// drawn (or drawn and refitted) for simulated errors, and equilibrium expectation's tasks (from
// the threads that run them) and check.
struct EstimatorProgress {
  McmleProgress iteration;
  std::atomic<std::int64_t>* replicates = nullptr;
  EeProgress ee_task;
  std::function<void(const EeCheckNews&)> ee_check;
};

}  // namespace tarn
