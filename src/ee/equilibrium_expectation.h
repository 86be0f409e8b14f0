#pragma once
// Equilibrium expectation (Byshkin et al. 2018): the coefficients move while the chains walk,
// against the difference between the chain's statistics and the observed ones, so that the
// model's expected statistics come to equal the observed ones without a sample drawn to
// equilibrium at every estimate. Each of several tasks walks a chain of its own from the observed
// network; a task's estimate is the mean of its coefficients over its last phase, and the
// estimate the mean of the tasks', taken in task order (the same for any number of threads). The
// estimator that uses it (estimate/) judges it by networks drawn at it. An offset's coefficient
// (ergm's offset(term)) is held at its value: the steps move the others.
//
// A step is a Newton step on the expected statistics, the inverse of the statistics' covariance
// times the gap, shortened by a gain. The chain lags behind the coefficients, and the coefficients
// follow the chain's noise: the longer the chain remembers (its autocorrelation time in updates),
// the further the mean of the coefficients lies from the estimate whose expected statistics are
// the observed ones. So the gain is set per autocorrelation time, measured on the chain held near
// the estimate: `gain` of the way per time the chain takes to forget. A task measures the
// covariance at the start, approaches with gains of 0.08 down to 0.01 per update, measures the
// covariance and the memory near the estimate, settles at its gain, then averages the
// coefficients over as many updates as the effective draws the tasks together must rest on.

#include <cstdint>
#include <functional>
#include <vector>

#include "model/study.h"
#include "network/cancel_flag.h"
#include "network/capacity.h"
#include "spread/task_spread.h"

namespace tarn {

struct EeSettings {
  int tasks = 4;
  // Proposals between updates; 0: default_proposals_per_update.
  std::int64_t proposals_per_update = 0;
  // Updates with the coefficients held that measure the statistics' covariance at the start, and
  // at least as many that measure it and the chain's memory near the estimate (more, up to 256
  // times as many, while they hold fewer than 16 effective draws).
  int scale_updates = 200;
  // The averaging phase: at least this many updates per task, and at least as many as
  // `effective_draws` effective draws of the chains' statistics over all tasks take.
  int updates = 0;
  int effective_draws = 128;
  // Of the Newton step, per autocorrelation time of the chain (per update with exact draws).
  double gain = 0.03;
  std::uint64_t seed = 1;
  // A network of more than this many nodes whose model has exact draws of its statistics
  // (simulate/dyad_class_draws.h) takes them in place of a chain's at every update, and the
  // exact covariance at the start for its steps.
  int chains_up_to = max_nodes;
  int threads = 1;                     // on this process
  const TaskSpread* spread = nullptr;  // the processes of an MPI job; null: this process only
  CancelFlag cancel = nullptr;         // polled at every update

  bool operator==(const EeSettings&) const = default;
};

struct EeResult {
  std::vector<double> estimate;  // of the linear model's coefficients
  // The spread of the tasks' estimates: their standard deviation over sqrt(tasks) (NaN with one
  // task): how far the estimate could move with other seeds.
  std::vector<double> task_spread;
  std::vector<std::vector<double>> task_estimates;  // [task][coefficient]
  // The chains' autocorrelation time near the estimate, in updates (the mean over the tasks; 1
  // with exact draws), and the updates each task made in all and averaged over.
  double autocorrelation_updates = 1.0;
  std::int64_t updates = 0, averaged_updates = 0;
  // The effective draws the estimate rests on: each task's averaged updates over its
  // autocorrelation time, summed over the tasks.
  double effective_draws = 0.0;
  std::int64_t proposals_per_update = 0;
  std::int64_t proposals = 0, accepted = 0;
  bool filled = false;       // a chain passed the link capacity (the estimate is not to be used)
  bool exact_draws = false;  // exact draws of the statistics, no chains (proposals 0)
  // Proposals per effective draw of the chains near the estimate (0 with exact draws).
  std::int64_t proposals_per_draw() const;
};

// The effective draws a hold of a chain goes on for.
constexpr double hold_effective_draws = 16.0;

// A hold of a chain that drew fewer than hold_effective_draws in `updates` and goes on to `until`.
struct HoldNews {
  std::int64_t updates = 0;
  double effective_draws = 0.0;
  std::int64_t until = 0;
};

// What a task has come to, for a progress line: a hold of its chain that goes on (a chain that
// remembers long can hold for an hour at 10^5 nodes), its chain's memory measured and the updates
// it will still make, or its end. Reported from the thread that runs the task.
struct EeTaskNews {
  int task = 0, tasks = 1;
  bool ended = false;
  double autocorrelation_updates = 1.0;
  std::int64_t proposals_per_update = 0;  // 0 with exact draws
  std::int64_t settling_updates = 0, averaging_updates = 0;
  // A hold that goes on (at the start, or near the estimate); 0 updates when the news is not of a
  // hold.
  bool held_near_estimate = false;
  HoldNews hold{};
};
using EeProgress = std::function<void(const EeTaskNews&)>;

// One proposal per link of the observed network, at least 1024, up to max_nodes nodes (the
// networks the choice was measured on); beyond, one per 64 links, so that the first measure of
// the autocorrelation does not take hours at 10^6 nodes. The gain follows the autocorrelation
// measured in these updates, so the choice moves the cost, not the estimate.
std::int64_t default_proposals_per_update(int nodes, std::int64_t links);

// `start`: the linear model's coefficients to start from (the pseudo-likelihood estimate). A
// statistic that does not vary at the start is given the variance 1 and no covariance. Throws
// std::invalid_argument for a curved model.
EeResult equilibrium_expectation(const Study& study, const std::vector<double>& start,
                                 const EeSettings& settings, const EeProgress& progress = {});

}  // namespace tarn
