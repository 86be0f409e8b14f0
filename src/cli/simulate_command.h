#pragma once
// tarnwick simulate NETWORK --model LIST [--coef ...] [--networks K] [--out DIR] [--stats FILE]:
// networks drawn from the model at the fitted (or given) coefficients, written as edge lists,
// with their statistics; and tarnwick gof, the goodness-of-fit check that compares them with the
// observed network.

#include <ostream>
#include <string>
#include <vector>

#include "cli/sampling_options.h"
#include "tarnwick/network.h"
#include "tarnwick/processes.h"

namespace tarn {

struct SimulateCommandOptions {
  tarnwick::ReadOptions data;
  std::string model;
  std::string coef;         // empty: the fitted estimates
  std::string offset_coef;  // for the fit without --coef: the offset terms' coefficients
  std::string constraints;  // the sample space (--constraints); empty: every network
  // The JSON results of a fit, whose model, estimates and data are taken instead of the network,
  // the model and the coefficients; empty: none.
  std::string fit_path;
  // Set from --fit: its estimates, and the network it was of, which the data must give again.
  std::vector<double> fitted_coefficients;
  int fitted_nodes = -1, fitted_links = -1;
  int networks = 100;
  SamplingOptions sampling;
  bool quiet = false;
  // simulate
  std::string out_dir;
  bool overwrite = false;  // replace the network files of a folder that holds some
  std::string stats_path;
  // gof
  std::string csv_path, svg_path, html_path;
  // The processes of an MPI job, over which gof deals its chains; null: this process's threads.
  const tarnwick::Processes* processes = nullptr;
};

int run_simulate_command(const SimulateCommandOptions& options, std::ostream& out,
                         std::ostream& err);
int run_gof_command(const SimulateCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tarn
