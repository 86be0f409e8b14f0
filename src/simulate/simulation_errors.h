#pragma once
// Standard errors from networks simulated at the estimate, for models with dependence terms,
// whose naive pseudo-likelihood errors are too small:
//   godambe    H^-1 V H^-1, with H the weighted cross-product matrix at the estimate and V the
//              covariance, over the simulated networks, of the pseudo-score at the estimate;
//   bootstrap  the covariance of the pseudo-likelihood refitted to every simulated network
//              (started at the estimate), and its percentile intervals; refits that did not
//              converge are counted and left out.
// Every replicate's result is kept in its place and the covariances are summed in replicate
// order, so the errors do not depend on the number of threads.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "mple/parameter_errors.h"
#include "mple/pseudo_likelihood.h"
#include "simulate/sampler.h"

namespace tarn {

enum class ErrorMethod { naive, godambe, bootstrap };

struct SimulationErrors {
  ParameterErrors errors;
  SampleSummary sample;   // the simulated networks' statistics and the sampler's figures
  int failed_refits = 0;  // bootstrap refits that did not converge
  // Fewer than two usable replicates (simulated networks for Godambe, converged refits for the
  // bootstrap) give no covariance: the errors are then the naive ones.
  bool too_few_replicates = false;
  // A chain filled the link store, or the networks piled up near the empty or complete network
  // or split into two modes (sample.evidence): the estimate describes no network like the
  // observed one, and the errors are the naive ones.
  bool degenerate() const { return sample.capacity_stop.found || sample.evidence.degenerate(); }
};

// `study` and `fit` are the observed network's; `settings` the sampler's. `done` counts the
// replicates finished (for a progress display). When the model is degenerate (degenerate()) the
// errors are the naive ones. Throws std::invalid_argument for a model that
// sample_networks refuses.
SimulationErrors simulation_errors(ErrorMethod method, const Study& study, const FitResult& fit,
                                   int replicates, const SamplerSettings& settings,
                                   std::atomic<std::int64_t>* done = nullptr);

// The errors of several methods from one sample, in the order of `methods`: each as
// simulation_errors gives it for that method alone, which draws the same networks.
std::vector<SimulationErrors> simulation_errors(const std::vector<ErrorMethod>& methods,
                                                const Study& study, const FitResult& fit,
                                                int replicates, const SamplerSettings& settings,
                                                std::atomic<std::int64_t>* done = nullptr);

}  // namespace tarn
