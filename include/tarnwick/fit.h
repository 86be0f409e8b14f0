#pragma once
// A fit of a statnet formula by one of the estimators.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tarnwick/network.h"
#include "tarnwick/work.h"

namespace tarnwick {

struct FitSettings {
  std::string method = "mple";   // mple or mcmle (estimators())
  std::string errors = "naive";  // mple: naive, godambe or bootstrap
  int replicates = 500;          // godambe and bootstrap
  std::vector<double> init;      // mcmle: the start; empty: the pseudo-likelihood estimate
  int sample_size = 1024;        // mcmle
  int max_iterations = 60;       // mcmle
  std::uint64_t seed = 1;
  int threads = 0;  // 0: every core
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;  // -1: the defaults for the network
};

// The estimators there are, by name, with one line on each.
struct EstimatorInfo {
  std::string name;
  std::string description;
};
std::vector<EstimatorInfo> estimators();

// One fit: what every estimator gives.
struct Estimate {
  std::string method;
  std::string errors;   // naive, godambe, bootstrap; mcmle: inverse Fisher information
  std::string outcome;  // "converged", or what kept the fit from an estimate (as in the JSON)
  bool converged = false;
  std::vector<std::string> names;
  std::vector<double> coefficients, std_errors;
  std::vector<std::vector<double>> covariance;
  std::optional<double> log_likelihood, aic, bic;
  int iterations = 0;
  double seconds = 0;
  std::vector<WarningRecord> warnings;
  std::string screen;  // the command line's screen summary
  std::string json;    // the command line's JSON results, every figure of the fit
  std::string csv;     // the tidy CSV
};

// Throws ModelError, ArgumentError, InputError (an edgecov file), CapacityError, Cancelled.
Estimate fit(const Network& network, const std::string& formula, const FitSettings& settings = {},
             const Progress& progress = {});

}  // namespace tarnwick
