#pragma once
// Maximum likelihood by Markov chain Monte Carlo (MCMLE), after the established tool's published
// design (Hunter and Handcock 2006; Hummel, Hunter and Handcock 2012):
//
//   each iteration draws networks at the current estimate theta (chains warm-started where the
//   last iteration left them, their interval lengthened while the slowest statistic's effective
//   sample size is below a quarter of the networks; a quarter of the sample while some t-ratio
//   is above 1), and moves to theta + gamma Sigma^-1 (observed - mean): the maximiser of the
//   log-normal approximation of the likelihood ratio, towards a pseudo-observation that the
//   step length gamma keeps inside the convex hull of the sample (step_length.h);
//
//   it stops when the sampled mean is the observed statistics to within Monte Carlo error: every
//   t-ratio (mean - observed) / sd below the tolerance and an autocorrelation-adjusted Hotelling
//   test that finds no difference (sample_moments.h), with a full step; the estimate is then
//   that last full step, its covariance the inverse Fisher information (the sample's covariance)
//   plus the Monte Carlo covariance of the step.
//
// A model with curved terms (gw terms whose decay is estimated, terms/curved_terms.h) is fitted
// in its coefficients theta: the networks are drawn at the canonical parameters eta(theta), and
// every figure above is taken of the estimating statistics J' g, J the Jacobian of eta at theta
// (ergm's estimating equations), so that each step is a Fisher scoring step of the curved
// likelihood and the errors the inverse of J' Cov(g) J. A linear model's J is the identity.
//
// The start is the pseudo-likelihood estimate (or a given one). A sample that runs away from the
// observed network (the sampler's band of link counts) after a step halves that step, up to four
// times. When the networks run away at the pseudo-likelihood start, it moves halfway towards the
// estimate of the model's dyad-independent terms alone (the others 0), up to four times; when they
// run away still, or after the halvings of the first steps, or when the start's samples give no
// step at all, it moves to that estimate itself, from which the steps walk towards the observed
// statistics. The result says so. Running away there too ends the fit as degenerate, with the
// evidence.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fit/fit_result.h"
#include "mcmle/sample_moments.h"
#include "model/study.h"
#include "simulate/sampler.h"

namespace tarn {

struct McmleSettings {
  int sample_size = 1024;  // networks per iteration
  int chains = 8;          // results do not depend on the threads
  int threads = 1;
  std::uint64_t seed = 1;
  std::int64_t interval = 0;  // toggles between networks; 0: chosen (see mcmle.cpp), then tuned
  int max_iterations = 60;
  double margin = 0.05;      // of the step length's hull
  double t_tolerance = 0.1;  // every |t-ratio| below it
  double p_level = 0.01;     // the Hotelling test's p-value at least this
  int bridges = 16;          // for the log-likelihood; 0: none
  int bridge_sample = 128;   // networks per bridge
};

enum class McmleStart { pseudo_likelihood, given, dyad_independent };

// One iteration's figures, for the progress line and the results.
struct McmleIteration {
  int number = 0;
  std::vector<double> theta;  // where the networks were drawn
  double step = 0.0;          // gamma
  double max_abs_t = 0.0;
  double p_value = 0.0;
  std::int64_t interval = 0;
  std::int64_t toggles = 0;
  double seconds = 0.0;   // since the fit began
  bool ran_away = false;  // the sample was degenerate (the step was then halved or the start moved)
};

enum class McmleEnd {
  converged,        // the observed statistics are the sampled mean within Monte Carlo error
  iteration_limit,  // max_iterations reached first
  degenerate,       // the networks run away from the observed one wherever the steps went
  no_progress,      // the sample cannot reach the observed statistics (step 0 three times, or
                    // below 0.05 twenty times)
};

struct McmleResult {
  McmleEnd end = McmleEnd::converged;
  McmleStart start = McmleStart::pseudo_likelihood;
  // When the start moved to the dyad-independent estimate: the runaway at the first start.
  std::optional<Degeneracy> start_runaway;
  // The share of the pseudo-likelihood start's distance from the dyad-independent estimate that
  // the start kept: 1 unmoved, 1/2 to 1/16 when it was moved halfway towards it (up to four
  // times) after the networks ran away, 0 when it moved to that estimate itself.
  double start_share = 1.0;
  // When it moved because the networks drawn at the first start gave no step towards the
  // observed statistics (step 0 three times).
  bool start_stuck = false;
  std::vector<double> estimate;
  ParamMatrix covariance;                  // inverse Fisher information + Monte Carlo covariance
  ParamMatrix fisher_inverse;              // the inverse of the sample's covariance
  std::vector<double> mcmc_error_percent;  // Monte Carlo share of each variance, in percent
  std::vector<double> observed;  // per coefficient: the statistics (J' g for curved terms)
  int iterations = 0;
  std::vector<McmleIteration> history;
  ConvergenceTest final_test;  // of the last sample
  SampleMoments final_moments;
  std::vector<std::vector<double>> final_sample;  // [network][coefficient], for the diagnostics
  int final_chains = 1;
  Degeneracy degeneracy;                 // when end == degenerate
  std::optional<double> log_likelihood;  // bridge sampling from the dyad-independent reference
  std::int64_t toggles = 0;
  double sampler_seconds = 0.0;
  double seconds = 0.0;
};

using McmleProgress = std::function<void(const McmleIteration&)>;

// `start`: the coefficients from the pseudo-likelihood estimate (or given); `start_kind` says
// which.
// Throws std::invalid_argument for a model that cannot be simulated (simulation_problem).
McmleResult fit_mcmle(const Study& study, const std::vector<double>& start, McmleStart start_kind,
                      const McmleSettings& settings, const McmleProgress& progress = {});

// The model's dyad-independent terms alone, fitted by pseudo-likelihood (their maximum
// likelihood), as coefficients of the whole model (0 for the other terms), and the
// log-likelihood there, which is exact. Nothing when the fit of those terms fails.
struct DyadIndependentReference {
  std::vector<double> coefficients;
  double log_likelihood = 0.0;
};
std::optional<DyadIndependentReference> dyad_independent_reference(const Study& study);

}  // namespace tarn
