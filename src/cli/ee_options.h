#pragma once
// fit --method ee: how many tasks walk, the gain of their steps and the effective draws their
// averaged coefficients rest on, for a run whose chains forget slowly (hours at the defaults on
// 10^5 nodes); unset, the library's defaults.

#include <optional>

#include "CLI/CLI.hpp"
#include "tarnwick/fit.h"

namespace tarn {

struct EeOptions {
  std::optional<int> tasks;
  std::optional<double> gain;
  std::optional<int> effective_draws;

  void add(CLI::App& command);
  // Copies the options given into `settings`.
  void apply(tarnwick::EquilibriumSettings& settings) const;
};

}  // namespace tarn
