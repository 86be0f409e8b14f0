#pragma once
// tarnwick fit NETWORK --model LIST [options]: one fit, reported on the screen and in the files
// the options name (the dialogue's report, JSON, tidy CSV, the MCMC diagnostics), with naive,
// Godambe or bootstrap standard errors, and a check that the estimate exists.

#include <ostream>
#include <string>

#include "cli/ee_options.h"
#include "cli/mcmle_options.h"
#include "cli/sampling_options.h"
#include "tarnwick/network.h"
#include "tarnwick/processes.h"

namespace tarn {

struct FitCommandOptions {
  tarnwick::ReadOptions data;
  std::string model;
  std::string report_path;  // empty: none
  std::string json_path;    // "-": standard output
  std::string csv_path;
  bool quiet = false;
  std::string errors = "naive";  // naive, godambe or bootstrap
  int replicates = 500;
  std::string method = "mple";  // mple, mcmle or ee (tarnwick::estimators())
  std::string offset_coef;      // the offset terms' coefficients, a comma list; empty: none
  std::string constraints;      // the sample space (--constraints); empty: every network
  McmleOptions mcmle;
  EeOptions ee;
  SamplingOptions sampling;
  const tarnwick::Processes* processes = nullptr;  // the processes of an MPI job; null: this one
};

// Returns the exit status (exit_status.h).
int run_fit_command(const FitCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tarn
