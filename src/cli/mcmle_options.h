#pragma once
// fit --method mcmle: its options, and its progress lines on standard error.

#include <ostream>
#include <string>

#include "CLI/CLI.hpp"
#include "estimate/mcmle_estimator.h"

namespace tarn {

struct McmleOptions : McmleSettings {
  std::string diagnostics_path;  // an SVG or HTML file of the last sample; empty: none

  void add(CLI::App& command);
};

// One line on `err` for every iteration when `shown`; nothing otherwise.
McmleProgress mcmle_progress_lines(std::ostream& err, bool shown);

}  // namespace tarn
