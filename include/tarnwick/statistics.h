#pragma once
// The observed network statistics of a model, as the command line's summary gives them (the
// numbers of tarnwick/results/simulation.h; tarnwick/reporting.h writes them).

#include "tarnwick/model.h"
#include "tarnwick/network.h"
#include "tarnwick/results/simulation.h"

namespace tarnwick {

StatisticsReport statistics_report(const Model& model);

// The probability of a tie on one dyad given the rest of the network: the logistic of the
// coefficients' sum of the dyad's change statistics (ergm's predict(fit, conditional = TRUE)).
struct TieProbability {
  int tail = 0;  // node indices, 0-based; undirected, tail < head
  int head = 0;
  double probability = 0;
};

// Every dyad of the model's network, by tail then head, at the coefficients (in the order of
// the fit's, a curved term's weight and decay included; offsets at their values). Throws
// ArgumentError for a count of coefficients that is not the model's, or one that is NaN.
std::vector<TieProbability> tie_probabilities(const Model& model,
                                              const std::vector<double>& coefficients);

}  // namespace tarnwick
