#pragma once
// tarnwick summary NETWORK --model FORMULA [options]: the observed network statistics of a
// formula without fitting, as statnet's summary(formula).

#include <ostream>
#include <string>

#include "tarnwick/network.h"

namespace tarn {

struct SummaryCommandOptions {
  tarnwick::ReadOptions data;
  std::string model;
  std::string json_path;  // "-": standard output
  std::string csv_path;
  bool quiet = false;
};

// Returns the exit status (exit_status.h).
int run_summary_command(const SummaryCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tarn
