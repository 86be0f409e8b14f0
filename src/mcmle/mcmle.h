#pragma once
// Maximum likelihood by Markov chain Monte Carlo (MCMLE), after ergm's published
// design (Hunter and Handcock 2006; Hummel, Hunter and Handcock 2012), as a sequence of steps
// each testable alone (mcmle_steps.h, mcmle_errors.h, mcmle_start.h, sample_moments.h), every
// policy constant in McmleControl:
//
//   each iteration draws networks at the current estimate theta from a sample source (chains
//   warm-started where the last sample left them), and moves to theta + gamma Sigma^-1
//   (observed - mean), the maximiser of the log-normal approximation of the likelihood ratio
//   towards a pseudo-observation that the step length gamma keeps inside the convex hull of the
//   sample (step_length.h), the move halved while the sample's importance weight does not speak
//   for its end;
//
//   it stops when a full sample, drawn with a full step, passes the autocorrelation-adjusted
//   Hotelling test of mean = observed; then it draws one final sample at the new estimate, large
//   enough that the errors lie within 5% of their long-run values. A fit is converged when that
//   sample reproduces the observed statistics (every t-ratio within 0.1, widened by its Monte
//   Carlo error), its draws neither pile up nor split, and chains started at the empty network
//   and at a denser one do not stay there (no second mode); the estimate is then its last step, the
//   covariance the inverse Fisher information of that sample plus the Monte Carlo covariance of the
//   step. Otherwise it goes on.
//
// Nothing guards the networks' link counts: a sample far from the observed statistics shortens
// the step. A start whose draws pile up near the empty or complete network, split into two modes
// or fill the link store moves towards the dyad-independent estimate (mcmle_start.h). A fit that
// does not converge ends not converged, or degenerate when networks drawn at the best estimate
// found pile up near the empty or complete network or split into two modes: the evidence is in
// the result.
//
// A model with curved terms (gw terms whose decay is estimated) is fitted in its coefficients
// theta: the networks are drawn at the canonical parameters eta(theta), and every figure above is
// taken of the estimating statistics J' g, J the Jacobian of eta at theta.
//
// A dyad-independent model's pseudo-likelihood is its likelihood: its MLE is returned exactly,
// without sampling.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mcmle/mcmle_control.h"
#include "mcmle/mcmle_errors.h"
#include "mcmle/mcmle_sample.h"
#include "mcmle/mcmle_start.h"
#include "mcmle/sample_moments.h"
#include "model/study.h"
#include "simulate/degeneracy_evidence.h"

namespace tarn {

// One iteration's figures, for the progress line and the results.
struct McmleIteration {
  int number = 0;
  Vector theta;  // where the networks were drawn
  int networks = 0;
  double step = 0.0;  // gamma
  double max_abs_t = 0.0;
  double p_value = 0.0;
  double effective_size = 0.0;
  std::int64_t interval = 0;
  std::int64_t toggles = 0;
  double seconds = 0.0;  // since the fit began
  bool filled = false;   // a chain filled the link store: no networks
  std::string evidence;  // the draws' kind of degeneracy ("pile_near_full", ...) or empty
  // The sample drawn after the Hotelling test passed; none follows when the sample that passed
  // it reproduced the observed statistics and served as the final sample.
  bool final_sample = false;
  bool check_passed = false;  // of a final sample
};

enum class McmleEnd { converged, not_converged, degenerate };

// Two chains started away from the observed network, at the empty and at a denser network
// (ModeProbe), and the toggles they were given.
struct ModeProbes {
  ModeProbe empty, dense;
  std::int64_t toggles = 0;
  bool second_mode() const { return empty.second_mode() || dense.second_mode(); }
};

// The best estimate found: where the sample's mean came nearest the observed statistics (in
// standard deviations of the networks).
struct BestEstimate {
  int iteration = 0;
  Vector theta;
  double distance = 0.0;
  double max_abs_t = 0.0;
};

struct McmleResult {
  McmleEnd end = McmleEnd::converged;
  // Why it stopped: "converged", "dyad_independent" (the exact MLE, no sampling),
  // "iteration_limit", "no_progress" (steps of length 0, or short ones, see McmleControl),
  // "link_capacity" (chains filled the link store after every halving of a step), "no_estimate"
  // (a dyad-independent model without a pseudo-likelihood estimate).
  std::string stop_reason;
  // Not empty: no iterations; the estimate of this estimator ("Equilibrium expectation") judged
  // by networks drawn at it.
  std::string judged_estimate;
  StartRecord start;
  Vector estimate;        // converged: the estimate; otherwise the best estimate found
  Matrix covariance;      // converged: inverse Fisher information + Monte Carlo covariance
  Matrix fisher_inverse;  // the inverse of the final sample's covariance
  Vector mcmc_error_percent;
  Vector observed;  // per coefficient: the statistics (J' g for curved terms)
  int iterations = 0;
  std::vector<McmleIteration> history;
  // Of the final sample (converged) or the last sample drawn.
  ConvergenceTest final_test;
  SampleMoments final_moments;
  std::vector<Vector> final_sample;  // [network][coefficient], for the diagnostics
  int final_chains = 1;
  std::optional<SimulationCheck> check;  // of the final sample
  // Not converged: the best estimate, and the networks drawn there afresh from the observed
  // network (the verdict's evidence), or the chain that filled the link store.
  BestEstimate best;
  std::optional<DrawEvidence> evidence;
  CapacityStop capacity;
  // Chains started away from the observed network at the estimate (converged) or the best
  // estimate: the evidence for or against a second mode.
  std::optional<ModeProbes> probes;
  std::optional<double> log_likelihood;  // bridge sampling from the dyad-independent reference
  std::int64_t toggles = 0;
  double sampler_seconds = 0.0;
  double seconds = 0.0;
};

using McmleProgress = std::function<void(const McmleIteration&)>;

// `start`: the coefficients to start from (the pseudo-likelihood estimate, or given); `kind` says
// which. Throws std::invalid_argument for a model that cannot be simulated (simulation_problem).
McmleResult fit_mcmle(const Study& study, const Vector& start, McmleStart kind,
                      const McmleControl& control, const McmleProgress& progress = {});
// The same, its networks from `source`.
McmleResult fit_mcmle(const Study& study, const Vector& start, McmleStart kind,
                      const McmleControl& control, const SampleSource& source,
                      const McmleProgress& progress = {});

}  // namespace tarn
