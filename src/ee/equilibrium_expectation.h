#pragma once
// Equilibrium expectation (Byshkin et al. 2018): the coefficients move while the chains walk,
// against the difference between the chain's statistics and the observed ones, so that the
// model's expected statistics come to equal the observed ones without a sample drawn to
// equilibrium at every estimate. Each of several tasks walks a chain of its own from the observed
// network; a task's estimate is the mean of its coefficients over the second half of its
// updates, and the estimate the mean of the tasks', taken in task order (the same for any number
// of threads). It is a start, not a verdict: the estimator that uses it (estimate/) goes on to
// maximum likelihood by MCMC, whose sample checks the estimate and gives its errors.

#include <cstdint>
#include <vector>

#include "model/study.h"
#include "network/capacity.h"
#include "spread/task_spread.h"

namespace tarn {

struct EeSettings {
  int tasks = 4;
  // Proposals between updates; 0: default_proposals_per_update.
  std::int64_t proposals_per_update = 0;
  // Updates that measure the statistics' spread at the start (the steps' scale), then updates
  // that move the coefficients.
  int scale_updates = 200;
  int updates = 2000;
  // A step moves coefficient k by gain * (observed - chain statistic) / variance of the
  // statistic: a Newton step on the expected statistics with their derivative taken as its
  // diagonal (the variance, for canonical parameters), shortened by the gain.
  double gain = 0.01;
  std::uint64_t seed = 1;
  // A network of more than this many nodes whose model has exact draws of its statistics
  // (simulate/dyad_class_draws.h) takes them in place of a chain's at every update, and the
  // exact variances at the start as the steps' scale.
  int chains_up_to = max_nodes;
  int threads = 1;                     // on this process
  const TaskSpread* spread = nullptr;  // the processes of an MPI job; null: this process only
};

struct EeResult {
  std::vector<double> estimate;  // of the linear model's coefficients
  // The spread of the tasks' estimates: their standard deviation over sqrt(tasks) (NaN with one
  // task): how far the estimate could move with other seeds.
  std::vector<double> task_spread;
  std::vector<std::vector<double>> task_estimates;  // [task][coefficient]
  std::vector<double> scale;                        // the statistics' variances at the start
  std::int64_t proposals = 0, accepted = 0;
  bool filled = false;       // a chain passed the link capacity (the estimate is not to be used)
  bool exact_draws = false;  // exact draws of the statistics, no chains (proposals 0)
};

// One proposal per link of the observed network, at least 1024, up to max_nodes nodes (the
// networks the choice was measured on); beyond, one per 64 links. A statistic that counts links
// relaxes in about twice the links' proposals (sampler.h) and a coefficient settles in 1 / gain =
// 100 updates, 1.6 links' proposals there: the chain keeps up with the coefficients, and the 2200
// updates span about 17 relaxations, where one proposal per link would take hours at 10^6 nodes.
std::int64_t default_proposals_per_update(int nodes, std::int64_t links);

// `start`: the linear model's coefficients to start from (the pseudo-likelihood estimate). A
// statistic that does not vary at the start is given the scale 1. Throws std::invalid_argument
// for a curved model.
EeResult equilibrium_expectation(const Study& study, const std::vector<double>& start,
                                 const EeSettings& settings);

}  // namespace tarn
