#pragma once
// A fit of a statnet formula by one of the estimators.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tarnwick/model.h"
#include "tarnwick/network.h"
#include "tarnwick/processes.h"
#include "tarnwick/results/estimate.h"
#include "tarnwick/work.h"

namespace tarnwick {

// Equilibrium expectation (method ee): its tasks and updates.
struct EquilibriumSettings {
  int tasks = 4;
  std::int64_t proposals_per_update = 0;  // 0: the default for the network
  int scale_updates = 200;    // updates that measure the statistics' spread at the start
  int updates = 0;            // averaged updates per task, at least
  int effective_draws = 128;  // effective draws the averaged updates of all tasks rest on
  double gain = 0.03;         // of the Newton step, per autocorrelation time of the chains
};

struct FitSettings {
  std::string method = "mple";   // mple, mcmle or ee (estimators())
  std::string errors = "naive";  // mple: naive, godambe or bootstrap
  int replicates = 500;          // godambe and bootstrap
  // mple: empty dyads sampled for the weighted pseudo-likelihood; -1: none, or the default
  // size for a network too large to sweep.
  std::int64_t dyad_sample = -1;
  std::vector<double> init;  // mcmle, ee: the start; empty: the pseudo-likelihood estimate
  // The start as a comma list, as the command line's --init gives it (its errors name --init);
  // used instead of `init` when not empty.
  std::string init_list;
  // The coefficients of the formula's offset terms (offset(term)), in their order; -infinity
  // and infinity allowed. As a comma list (the command line's --offset-coef, "-Inf,0.5"; its
  // errors name --offset-coef) in `offset_coef_list`, used instead when not empty.
  std::vector<double> offset_coef;
  std::string offset_coef_list;
  // The networks fitted over, as ergm's constraint formula without '~' ("bd(maxout=5) +
  // blockdiag(\"school\")"); empty: every network. The user guide's Constraints section says
  // what each method does with them.
  std::string constraints;
  int sample_size = 1024;   // mcmle, ee
  int max_iterations = 60;  // mcmle, ee
  // mcmle, ee: the relative Monte Carlo error the standard errors may carry (0.01 to 0.5); the
  // final sample, or equilibrium expectation's check, grows to the effective size it asks.
  double error_precision = 0.05;
  EquilibriumSettings equilibrium;
  std::uint64_t seed = 1;
  int threads = 0;  // 0: every core
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;  // -1: the defaults for the network
  const Processes* processes = nullptr;     // null: this process's threads
  // mple: the Newton passes as the dialogue runs them (ten at most, whole steps, stopping at a
  // step under 10^-3 of each estimate), for the dialogue's report of the fit; otherwise they go
  // on until the estimates settle (user guide 12.5).
  bool dialogue_passes = false;
};

// The estimators there are, by name, with one line on each.
struct EstimatorInfo {
  std::string name;
  std::string description;
  bool by_mcmc = false;  // draws networks: takes a start, gives diagnostics, no self-pairs
};
std::vector<EstimatorInfo> estimators();

// Throws ArgumentError for settings that do not fit each other or the estimator, before anything
// is read.
void check_fit_settings(const FitSettings& settings);

// One fit: the numbers of tarnwick/results/estimate.h (tarnwick/reporting.h writes them). Throws
// ModelError, ArgumentError, InputError (an edgecov file), CapacityError, Cancelled.
Estimate fit(const Network& network, const std::string& formula, const FitSettings& settings = {},
             const Progress& progress = {});
Estimate fit(const Model& model, const FitSettings& settings = {}, const Progress& progress = {});

}  // namespace tarnwick
