#pragma once
// What long work shares: its progress and cancelling (the warnings it gives are in
// tarnwick/results/warning.h).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "tarnwick/results/estimate.h"
#include "tarnwick/results/warning.h"

namespace tarnwick {

// Progress of long work: `done` of `total` steps as it goes; set `cancel` to stop the work at
// the next step (it throws Cancelled then).
struct Progress {
  std::function<void(std::int64_t done, std::int64_t total, const std::string& stage)> report;
  const std::atomic<bool>* cancel = nullptr;
  // Every iteration of a fit by MCMC, as it ends.
  std::function<void(const IterationReport& iteration)> iteration;
  // Advanced by one for every network drawn (simulate, gof) or replicate simulated (the
  // pseudo-likelihood's simulated errors), from the threads that draw them: a counter that a
  // progress bar can read without a call into its own thread.
  std::atomic<std::int64_t>* counter = nullptr;
  // A line on the phases of a long fit as they pass (equilibrium expectation's tasks and its
  // check), from the threads that reach them, possibly several at once.
  std::function<void(const std::string& line)> phase;
};

}  // namespace tarnwick
