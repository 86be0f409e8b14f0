#pragma once
// What the goodness of fit of a model of counts compares between the observed network and those
// drawn from the model: the distribution of the dyads' values, of the nodes' strengths (the sum
// of their dyads' values: out and in, or both undirected) and the model's statistics.

#include <vector>

#include "simulate/gof_summary.h"
#include "terms/valued_graph.h"

namespace tarn {

struct ValuedFeatures {
  std::vector<double> values;  // dyads of value 0, 1, 2, ...
  // Nodes of strength 0, 1, 2, ...: out and in (directed), or strength (undirected, in `out`).
  std::vector<double> out_strength, in_strength;
};

ValuedFeatures valued_features(const ValuedGraph& g);

// The panels of the features and of the model's statistics, with their rows.
GofSummary summarize_valued_gof(const ValuedFeatures& observed,
                                const std::vector<ValuedFeatures>& simulated, bool directed,
                                const StatisticSample& model_statistics);

}  // namespace tarn
