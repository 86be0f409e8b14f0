#pragma once
// The change of each of a model's statistics when one dyad is toggled, on any graph that the
// change-statistic definitions read (change_statistics.h): the type's definition, restricted to
// the block type of a block parameter, or the covariate's value. And a network's statistics, as
// the sums of the changes of its links added one at a time to the empty network, so that the
// empty network counts 0 and adding i->j raises each statistic by its change for i->j.

#include <cstdint>
#include <vector>

#include "model/blocking.h"
#include "model/model.h"
#include "network/comparative_network.h"
#include "network/network.h"
#include "stats/change_statistics.h"

namespace tarn {

class ModelChanges {
 public:
  // `blocks` is needed when the model has block parameters, `comparative` (of the same
  // `node_count` nodes) when it has the covariate; both must outlive this object.
  ModelChanges(const Model& model, const DyadBlocks* blocks, const ComparativeNetwork* comparative,
               int node_count);

  int parameter_count() const { return static_cast<int>(parameters_.size()); }

  // delta[p] = the change of statistic p when the dyad (i, j) is toggled.
  template <class Graph>
  void changes(const Graph& g, int i, int j, double* delta) const {
    double value[type_count + 1];
    for (const ConfigurationType type : types_) {
      const int t = number(type);
      value[t] = type == ConfigurationType::covariate
                     ? static_cast<double>(covariate_[index(i, j)])
                     : static_cast<double>(change_statistic(type, g, i, j));
    }
    const int block_type = blocks_ != nullptr ? blocks_->block_type(i, j) : 0;
    for (std::size_t p = 0; p < parameters_.size(); ++p) {
      const Parameter& parameter = parameters_[p];
      const bool counts = parameter.block_type == 0 || parameter.block_type == block_type;
      delta[p] = counts ? value[number(parameter.type)] : 0.0;
    }
  }

  // The model's statistics of `network` (links added in the order of its link store).
  std::vector<double> statistics_of(const Network& network) const;

 private:
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n_) +
           static_cast<std::size_t>(j - 1);
  }

  std::vector<Parameter> parameters_;
  std::vector<ConfigurationType> types_;  // each type the parameters need, once
  const DyadBlocks* blocks_;
  int n_;
  // The covariate by dyad, n by n, when the model has it: the comparative network's int16
  // values, found in constant time (its rows are unsorted).
  std::vector<std::int16_t> covariate_;
};

}  // namespace tarn
