#pragma once
// The settings of every piece of work that simulates networks, and what they become: the
// sampler's settings for a study, the coefficients to draw from, and the checks that the model
// can be simulated.

#include <cstdint>
#include <string>
#include <vector>

#include "model/study.h"
#include "mple/fit_result.h"
#include "simulate/sampler.h"

namespace tarn {

struct SamplingSettings {
  std::int64_t burnin = -1;    // -1: the default
  std::int64_t interval = -1;  // -1: the default
  std::uint64_t seed = 1;
  int threads = 0;  // 0: every core
  int chains = 8;
  // Empty dyads sampled for the case-control pseudo-likelihood (--dyad-sample); -1: none, or the
  // default size where the network is too large to sweep.
  std::int64_t dyad_sample = -1;
  CancelFlag cancel = nullptr;  // the caller's (SamplerSettings::cancel)

  SamplerSettings settings(const Study& study) const;
};

// Refuses, as a usage error naming the parameter and why, a model without a network distribution
// (Model::distribution_problem), and, as bad input, a network with links given more than once.
void check_can_simulate(const Study& study);

// The items of a comma list, empty ones kept ("1,,2" has three, "" one).
std::vector<std::string> list_items(const std::string& list);

// The coefficients of a --coef (or --init) list, one per coefficient of the model (a curved
// term's weight and decay).
// An offset term's coefficient may be -Inf or Inf.
std::vector<double> coefficients_of(const std::string& list, const Model& model,
                                    const std::string& option = "--coef");

// The numbers of an --offset-coef list (Inf, -Inf allowed, as R writes them, any case).
std::vector<double> offset_values_of(const std::string& list, const std::string& option);

// The model with its offset terms' values: those of `list` (the command line's --offset-coef,
// named in its errors) when not empty, else `values` (offset_coef). A model without offset terms
// given none is returned as it is.
Model model_with_offsets(const Model& model, const std::vector<double>& values,
                         const std::string& list);

}  // namespace tarn
