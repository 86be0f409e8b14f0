#pragma once
// fit --method mcmle: its options, and its progress lines on standard error.

#include <functional>
#include <ostream>
#include <string>

#include "CLI/CLI.hpp"
#include "tarnwick/work.h"

namespace tarn {

struct McmleOptions {
  std::string init;  // the coefficients to start from, as a comma list; empty: the MPLE
  int sample_size = 1024;
  int max_iterations = 60;
  double error_precision = 0.05;
  std::string diagnostics_path;  // an SVG or HTML file of the last sample; empty: none

  void add(CLI::App& command);
};

// One line on `err` for every iteration when `shown`; nothing otherwise.
std::function<void(const tarnwick::IterationReport&)> mcmle_progress_lines(std::ostream& err,
                                                                           bool shown);

// The phases of a long fit (tarnwick::Progress::phase) as lines on `err` with the time since the
// call, one at a time from any thread, when `shown`; nothing otherwise.
std::function<void(const std::string&)> phase_lines(std::ostream& err, bool shown);

}  // namespace tarn
