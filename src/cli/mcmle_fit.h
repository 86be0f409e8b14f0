#pragma once
// fit --method mcmle: maximum likelihood by MCMC from the pseudo-likelihood fit (or --init), its
// options, its progress lines on standard error, and what the results and the user are told.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "CLI/CLI.hpp"
#include "cli/checked_fit.h"
#include "cli/sampling_options.h"
#include "fit/parameter_errors.h"
#include "mcmle/mcmle.h"
#include "model/study.h"
#include "network/warning.h"

namespace tarn {

struct McmleOptions {
  std::string init;  // coefficients to start from; empty: the pseudo-likelihood estimate
  int sample_size = 1024;
  int max_iterations = 60;
  std::string diagnostics_path;  // an SVG or HTML file of the last sample; empty: none

  void add(CLI::App& command);
};

struct McmleFit {
  std::unique_ptr<McmleResult> result;
  FitResult shown;  // the start's fit with the MCMLE's estimate and covariance
  ParameterErrors errors;
  std::vector<Warning> warnings;
  bool converged() const { return result && result->end == McmleEnd::converged; }
};

// `quiet`: no progress lines. Throws UsageError for --init that does not fit the model.
McmleFit fit_by_mcmle(const McmleOptions& options, const SamplingOptions& sampling,
                      const Study& study, const CheckedFit& start, bool quiet, std::ostream& err);

}  // namespace tarn
