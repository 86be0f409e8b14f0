#include "simulate/model_changes.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "simulate/sample_graph.h"

namespace tarn {

ModelChanges::ModelChanges(const Model& model, const DyadBlocks* blocks,
                           const ComparativeNetwork* comparative, int node_count)
    : parameters_(model.parameters), blocks_(blocks), n_(node_count) {
  for (const Parameter& p : parameters_) {
    if (std::find(types_.begin(), types_.end(), p.type) == types_.end()) types_.push_back(p.type);
    if (p.block_type != 0 && blocks == nullptr) {
      throw std::invalid_argument("block parameters need the blocks of the nodes");
    }
  }
  if (std::find(types_.begin(), types_.end(), ConfigurationType::covariate) != types_.end()) {
    if (comparative == nullptr) throw std::invalid_argument("the covariate needs its network");
    if (comparative->node_count != n_) {
      throw std::invalid_argument("the comparative network belongs to another network");
    }
    covariate_.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_), 0);
    // A later value for the same dyad replaces an earlier one, as in the fit.
    for (int i = 1; i <= n_; ++i) {
      for (const ComparativeValue& v : comparative->row(i))
        covariate_[index(i, v.receiver)] = v.value;
    }
  }
}

std::vector<double> ModelChanges::statistics_of(const Network& network) const {
  std::vector<double> statistics(parameters_.size(), 0.0);
  std::vector<double> delta(parameters_.size(), 0.0);
  SampleGraph graph(network.node_count);
  for (int a = 1; a <= network.node_count; ++a) {
    for (int16 e : network.out_list(a)) {
      const int b = std::abs(static_cast<int>(e));
      changes(graph, a, b, delta.data());
      for (std::size_t p = 0; p < delta.size(); ++p) statistics[p] += delta[p];
      graph.toggle(a, b);
    }
  }
  return statistics;
}

}  // namespace tarn
