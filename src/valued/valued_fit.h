#pragma once
// Maximum likelihood for models of counts. The pseudo-likelihood is not defined for them (a
// dyad's conditional distribution is over many values, not two), so:
// - a dyad-independent model is fitted exactly: its likelihood is a product over the dyads, each
//   normalised over the reference's values (truncated where the weights fall below e^-40 of the
//   largest), and Newton's method finds its maximum;
// - any other model by MCMC (mcmle/: the same steps, tests and errors as for binary networks),
//   from the exact fit of its dyad-independent terms with the other coefficients at 0.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mcmle/mcmle_control.h"
#include "mcmle/mcmle_errors.h"
#include "mcmle/sample_moments.h"
#include "numeric/matrix.h"
#include "valued/valued_model.h"
#include "valued/valued_proposal.h"

namespace tarn {

// The exact fit of the dyad-independent terms of a model (the others left out).
struct DyadIndependentValuedFit {
  std::vector<int> statistics;  // the model's statistics it fits, in order
  Vector estimate;              // one per fitted statistic
  Matrix covariance;            // the inverse information
  double log_likelihood = 0.0;
  bool converged = false;
  // A fitted statistic at the least or greatest value any network gives it, or a combination
  // of them at its greatest: no estimate exists (its name, or theirs joined by ", "), or empty.
  std::string at_bound;
  int iterations = 0;
};

DyadIndependentValuedFit fit_dyad_independent(const ValuedModel& model,
                                              const ValuedGraph& observed);

struct ValuedIteration {
  int number = 0;
  Vector theta;
  int networks = 0;
  double step = 0.0;
  double max_abs_t = 0.0, p_value = 0.0, effective_size = 0.0;
  std::int64_t interval = 0;
  double seconds = 0.0;  // since the fit began
  bool final_sample = false, check_passed = false;
};

struct ValuedFit {
  // "converged", "not_converged" or "estimate_does_not_exist".
  std::string outcome;
  // "dyad_independent" (exact, no sampling), "converged" (MCMC), "iteration_limit",
  // "no_progress" (steps halved to nothing) or "statistic_at_bound".
  std::string stop_reason;
  std::string proposal;  // empty for the exact fit
  Vector observed, estimate;
  Matrix covariance;
  Vector mcmc_error_percent;             // empty for the exact fit
  std::optional<double> log_likelihood;  // the exact fit's
  DyadIndependentValuedFit start;
  Vector contrastive_start;  // where contrastive divergence took the start, MCMLE's first theta
  std::vector<ValuedIteration> history;
  ConvergenceTest final_test;
  std::optional<SimulationCheck> check;
  int final_networks = 0;  // of the final sample
  std::int64_t proposals = 0, accepted = 0;
  double seconds = 0.0, sampler_seconds = 0.0;
};

using ValuedProgress = std::function<void(const ValuedIteration&)>;

// `from`: the coefficients MCMLE starts at (an equilibrium-expectation estimate); none: the exact
// fit of the dyad-independent terms taken on by contrastive divergence.
ValuedFit fit_valued(const ValuedModel& model, const ValuedGraph& observed,
                     const McmleControl& control, const ValuedProposal& proposal,
                     const ValuedProgress& progress = {}, const std::optional<Vector>& from = {});

// MCMLE's start of a model with dependent terms, for another estimator to start from: `exact`
// (the dyad-independent terms' fit, the others at 0) taken on by contrastive divergence with
// chains of control.chains and control.seed.
Vector valued_mcmc_start(const ValuedModel& model, const ValuedGraph& observed,
                         const DyadIndependentValuedFit& exact, const McmleControl& control,
                         const ValuedProposal& proposal);

}  // namespace tarn
