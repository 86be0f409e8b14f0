#pragma once
// The options of every command that simulates networks (--seed, --burnin, --interval, --chains,
// --threads), and fit's --dyad-sample, read into the settings of the library's calls.

#include <cstdint>

#include "CLI/CLI.hpp"

namespace tarn {

struct SamplingOptions {
  std::int64_t burnin = -1;    // -1: the default
  std::int64_t interval = -1;  // -1: the default
  std::uint64_t seed = 1;
  int threads = 0;  // 0: every core
  int chains = 8;
  std::int64_t dyad_sample = -1;  // fit --dyad-sample; -1: none, or the default size

  void add(CLI::App& command);

  // Copies the chains' settings into those of fit, simulate or gof.
  template <class Settings>
  void apply(Settings& settings) const {
    settings.burnin = burnin;
    settings.interval = interval;
    settings.seed = seed;
    settings.threads = threads;
    settings.chains = chains;
  }
};

}  // namespace tarn
