#pragma once
// The options of every command that simulates networks (--seed, --burnin, --interval, --chains,
// --threads), read into the sampling settings.

#include "CLI/CLI.hpp"
#include "estimate/sampling_settings.h"

namespace tarn {

struct SamplingOptions : SamplingSettings {
  void add(CLI::App& command);
};

}  // namespace tarn
