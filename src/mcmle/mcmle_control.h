#pragma once
// Every setting of maximum likelihood by MCMC in one value: what the user sets, and each policy
// constant with its default and the reason for it (the user guide, 14.1, says the same).

#include <cstdint>

#include "network/cancel_flag.h"

namespace tarn {

class TaskSpread;

struct McmleControl {
  // What the user sets.
  int sample_size = 1024;  // networks per iteration
  int chains = 8;          // results do not depend on the threads
  int threads = 1;
  const TaskSpread* spread = nullptr;  // the processes of an MPI job the chains are dealt to
  CancelFlag cancel = nullptr;         // the caller's, polled by the chains
  std::uint64_t seed = 1;
  std::int64_t interval = 0;  // toggles between networks; 0: chosen, then tuned
  int max_iterations = 60;    // as ergm
  int bridges = 16;           // for the log-likelihood; 0: none
  int bridge_sample = 128;    // networks per bridge

  // The step. The convex hull of the sample, shrunk about its mean by this margin, bounds the
  // pseudo-observation (Hummel, Hunter and Handcock 2012).
  double hull_margin = 0.05;
  // A step is halved until at least this share of the sample's importance weight speaks for its
  // end: the sample says little about coefficients beyond that (a statistic that hardly varies
  // would send the chains far away).
  double least_weight_share = 0.1;
  // The importance-sampling refinement of the step (importance_step) goes only where half the
  // sample's weight still speaks for it: a reweighted mean resting on fewer networks carries more
  // Monte Carlo error than the refinement removes.
  double refinement_weight_share = 0.5;

  // Stopping. The autocorrelation-adjusted Hotelling test of mean = observed, at this level, on
  // a full sample drawn with a full step, as ergm's stopping rule.
  double hotelling_level = 0.01;
  // Then a final sample at the estimate, large enough that the standard errors lie within this
  // share of their long-run values (their Monte Carlo bias and spread together).
  double error_precision = 0.05;
  // A converged fit must reproduce the observed statistics: every t-ratio of the final sample
  // within this tolerance, widened by its Monte Carlo error at the level below (shared by the
  // statistics, Bonferroni).
  double check_tolerance = 0.1;
  double check_level = 0.01;

  // Sampling. While some |t| is above approach_t, a quarter of the sample finds the direction
  // (far away a direction needs fewer networks), at least 64 networks.
  double approach_t = 1.0;
  // The interval grows while the slowest statistic's effective size is below this share of the
  // networks: enough for the Hotelling test and a step whose Monte Carlo error is small beside
  // the final sample's check, not the hundreds of effective networks the errors need (those are
  // drawn once, at the end).
  double least_effective_share = 0.125;
  // ... but not from a sample this far from the observed statistics (some |t| above it): there
  // the autocorrelation of networks so unlike the observed one says nothing of the sampling near
  // the estimate, and a longer interval costs most where it helps least.
  double distant_t = 10.0;
  int burnin_intervals = 4;         // warm chains: they start where the last sample left them
  int fresh_burnin_intervals = 16;  // chains started at the observed network

  // A start whose draws pile up at or near the empty or complete network, or split into two
  // modes, or fill the link store, moves halfway towards the dyad-independent estimate this many
  // times, then to that estimate itself.
  int start_halvings = 4;
  // A step after which a chain fills the link store is halved back this many times.
  int step_halvings = 4;
  // No progress: a step of length 0 this many times in a row, or this many steps in a row
  // shorter than short_step of the way; the fit crawls and would spend its iterations (hours on
  // a large network) where it is.
  int max_steps_of_zero = 3;
  // Samples that pile up or split (or fill the link store) this many times among the last
  // degenerate_window, the start standing: the search has nowhere to go, and the best estimate
  // found is judged (degenerate or not by the draws there, never by this count). One bad step
  // and its four halvings make five.
  int max_degenerate_samples = 7;
  int degenerate_window = 10;
  double short_step = 0.05;
  int max_short_steps = 20;
};

}  // namespace tarn
