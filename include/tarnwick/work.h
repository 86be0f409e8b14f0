#pragma once
// What long work shares: its progress and cancelling, the processes it is spread over, and the
// warnings it gives.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace tarnwick {

// One iteration of a fit by maximum likelihood through MCMC, as it ends.
struct IterationReport {
  int number = 0;
  int networks = 0;  // drawn
  double step = 0;   // the step towards the new estimate, 0 to 1
  double max_abs_t = 0;
  double p_value = 0;  // of the Hotelling test
  std::int64_t interval = 0;
  double seconds = 0;         // since the fit began
  bool filled = false;        // a chain filled the link store: no networks
  std::string evidence;       // the draws' kind of degeneracy, or empty
  bool final_sample = false;  // the sample drawn after the Hotelling test passed
};

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

struct WarningRecord {
  std::string code;     // as in the JSON results
  std::string message;  // as the command line words it
  // What gave it: "data" (the network's files and the model's terms), "fit", "draws" (the
  // networks drawn), "sample" (their autocorrelations) or "features" (how gof measured them).
  std::string about;
};

}  // namespace tarnwick
