#pragma once
// Networks drawn from a model, and the goodness-of-fit check that compares them with the network.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tarnwick/model.h"
#include "tarnwick/network.h"
#include "tarnwick/processes.h"
#include "tarnwick/results/simulation.h"
#include "tarnwick/work.h"

namespace tarnwick {

// What simulate and gof share: the coefficients to draw at and how the chains run.
struct DrawSettings {
  // One per coefficient of the formula; empty: the pseudo-likelihood estimate (a model with
  // curved terms needs them given).
  std::vector<double> coefficients;
  // The coefficients as a comma list, as the command line's --coef gives them; used instead of
  // `coefficients` when not empty.
  std::string coefficient_list;
  // The option the messages name for the coefficients ("--coef"); empty: they speak of "the
  // coefficients".
  std::string coefficients_option;
  // Without coefficients: the values of the offset terms' coefficients for the fit, as
  // FitSettings has them. (Given coefficients hold every one, an offset's -Inf or Inf included.)
  std::vector<double> offset_coef;
  std::string offset_coef_list;
  // The networks drawn from, as FitSettings::constraints; empty: every network.
  std::string constraints;
  int networks = 100;
  std::uint64_t seed = 1;
  int threads = 0;
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;
  // The processes of a job. gof deals its chains out to them (every process calls it alike and
  // gets the same tables); simulate, which hands over each network as it is drawn, runs on the
  // process that writes the results, and the others return at once, having drawn nothing.
  const Processes* processes = nullptr;
};

struct SimulateSettings : DrawSettings {
  // The network is the empty network of its nodes to start from (the command line's --nodes N
  // without a network): a burn-in long enough to leave it, and the tables call it the start.
  bool empty_start = false;
  // Called from the chains' threads as network `index` (from 0) is drawn, with its edge list as
  // the command line writes it (CSV, the network's labels); what it throws stops the draws.
  std::function<void(int index, const std::string& edge_list)> each_network;
  // Keep the networks drawn in SimulationResult::networks.
  bool keep_networks = true;
};

struct SimulationResult {
  DrawOutcome outcome = DrawOutcome::drawn;
  SampleFigures sample;                 // the model's statistics of the networks drawn
  std::vector<Network> networks;        // when drawn and kept
  std::vector<double> coefficients;     // drawn at, canonical
  std::vector<WarningRecord> notes;     // of the data and the model
  std::vector<WarningRecord> warnings;  // of the fit, the draws and their sample
};

// Throws ArgumentError for a model that has no network distribution to draw from, InputError for
// a network with links given more than once.
void check_can_simulate(const Model& model);

// Networks drawn from the model at the coefficients. Throws ArgumentError for coefficients that
// do not fit the model, or a model that cannot be simulated.
SimulationResult simulate(const Model& model, const SimulateSettings& settings,
                          const Progress& progress = {});
// The same, throwing ModelError where the fit gives no estimate.
SimulationResult simulate(const Network& network, const std::string& formula,
                          const SimulateSettings& settings, const Progress& progress = {});

using GofSettings = DrawSettings;

// The goodness-of-fit check of the command line's gof: networks drawn from the model at the
// coefficients, compared with the network. Throws as simulate does.
GofTables gof(const Model& model, const GofSettings& settings, const Progress& progress = {});
// The same, throwing ModelError where the fit gives no estimate.
GofTables gof(const Network& network, const std::string& formula, const GofSettings& settings,
              const Progress& progress = {});

}  // namespace tarnwick
