#pragma once
// Networks drawn from a model, and the goodness-of-fit check that compares them with the network.

#include <cstdint>
#include <string>
#include <vector>

#include "tarnwick/network.h"
#include "tarnwick/work.h"

namespace tarnwick {

struct SimulateSettings {
  std::vector<double> coefficients;  // one per coefficient of the formula
  int networks = 100;
  std::uint64_t seed = 1;
  int threads = 0;
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;
};

struct Simulation {
  std::vector<std::string> statistic_names;
  std::vector<std::vector<double>> statistics;  // per network
  std::vector<Network> networks;
  std::vector<WarningRecord> warnings;
};

// Networks drawn from the model of `formula` on `network` (its nodes and what the terms read)
// at the coefficients.
Simulation simulate(const Network& network, const std::string& formula,
                    const SimulateSettings& settings, const Progress& progress = {});

struct GofSettings {
  // One per coefficient of the formula; empty: the pseudo-likelihood estimate (as gof without
  // --coef; a model with curved terms needs them given).
  std::vector<double> coefficients;
  int networks = 100;
  std::uint64_t seed = 1;
  int threads = 0;
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;
};

struct GofTables {
  // The command line's `gof --csv`: per feature (degrees, shared partners, geodesic distances,
  // the triad census of a directed network, the model's statistics) and value, the observed
  // figure, the simulated min, mean, max, the 2.5% and 97.5% points, and the p-value.
  std::string csv;
  // False when the networks drawn fill the link store, pile up or split (the warnings say
  // which): the model is degenerate at the coefficients, and there are no tables.
  bool made = false;
  std::vector<double> coefficients;  // drawn from, canonical
  std::vector<WarningRecord> warnings;
};

// The goodness-of-fit check of the command line's gof: networks drawn from the model of
// `formula` at the coefficients, compared with the network. Throws as simulate does, and
// ModelError when no coefficients are given and the pseudo-likelihood gives no estimate.
GofTables gof(const Network& network, const std::string& formula, const GofSettings& settings,
              const Progress& progress = {});

}  // namespace tarnwick
