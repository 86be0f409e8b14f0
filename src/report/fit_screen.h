#pragma once
// The command line's summary of a fit on the screen (the dialogue's report is classic_report.h):
// the network and model, the fit statistics, and a parameter table laid out as R's summary()
// lays one out: term, estimate, std. error, z value, Pr(>|z|) and significance stars, each
// column as wide as its widest entry, so that no number runs into the next.

#include <optional>
#include <ostream>
#include <string>

#include "mple/fit_result.h"
#include "mple/parameter_errors.h"
#include "mcmle/mcmle.h"
#include "model/model.h"
#include "network/network.h"

namespace tarn {

struct FitScreen {
  std::string network_path;
  const Network* network = nullptr;
  const Model* model = nullptr;
  const FitResult* result = nullptr;
  const ParameterErrors* errors = nullptr;
  const McmleResult* mcmle = nullptr;  // a fit by maximum likelihood by MCMC
  std::optional<double> log_likelihood, aic, bic;
};

void write_fit_screen(const FitScreen& fit, std::ostream& out);

// R's significance stars of a p-value: *** below 0.001, ** below 0.01, * below 0.05, . below
// 0.1, else none.
std::string significance_stars(double p_value);

}  // namespace tarn
