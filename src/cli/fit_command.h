#pragma once
// tarnwick fit NETWORK --model LIST [options]: one pseudo-likelihood fit, reported on the screen
// and in the files the options name (the dialogue's report, JSON, tidy CSV), with naive,
// Godambe or bootstrap standard errors, and a check that the estimate exists.

#include <ostream>
#include <string>

#include "cli/mcmle_options.h"
#include "cli/sampling_options.h"
#include "io/input_data.h"
#include "spread/task_spread.h"

namespace tarn {

struct FitCommandOptions {
  StudyOptions study;
  std::string model;
  std::string report_path;  // empty: none
  std::string json_path;    // "-": standard output
  std::string csv_path;
  bool quiet = false;
  std::string errors = "naive";  // naive, godambe or bootstrap
  int replicates = 500;
  std::string method = "mple";  // a row of the estimator table: mple, mcmle or ee
  McmleOptions mcmle;
  SamplingOptions sampling;
  const TaskSpread* spread = nullptr;  // the processes of an MPI job; null: this process
};

// Returns the exit status (exit_status.h).
int run_fit_command(const FitCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tarn
