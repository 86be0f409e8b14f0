#pragma once
// The data of one study, built once and used by every estimator, the sampler, the errors and the
// existence check: the observed network, which dyads are the model's, the model, and what the
// fused kernel reads besides the network (the blocks of the nodes, the comparative network).

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "model/model.h"
#include "network/comparative_network.h"
#include "network/network.h"
#include "terms/dyad_blocks.h"

namespace tarn {

class SampleSpace;

// with_network copies every member but the network by name (a copy of the whole would copy a
// large network only to replace it): a new member is added there too.
struct Study {
  Network network;
  bool include_diagonal = false;  // the self-pairs (i, i) are dyads (directed only)
  // The pseudo-likelihood's Newton steps hold every estimate within -bound..bound: the dialogue's
  // 15, to which its reports are pinned. The command line has none (infinity): an estimate that
  // runs away is the existence check's to name, not a number to stop at.
  double estimate_bound = 15.0;
  // The dialogue's Newton passes end at the tenth, take every step whole and stop after a step of
  // less than 10^-3 of each estimate (its reports say "Too many iterations!" at the tenth). The
  // command line's go on until the estimates settle to 10^-6, halving a step that lowers the
  // pseudo-likelihood: a logistic likelihood at rates near 10^-6 is reached from its start by
  // many short steps, and a full step along a weakly determined coefficient may overshoot by
  // thousands. (Its --report, the dialogue's report, takes the dialogue's passes.)
  bool newton_until_settled = false;
  Model model;
  std::shared_ptr<const DyadBlocks> blocks;               // with block parameters
  std::shared_ptr<const ComparativeNetwork> comparative;  // with the covariate (type 16)
  // The networks it is fitted and simulated over (model/sample_space.h); null: every network.
  std::shared_ptr<const SampleSpace> space;
  // The dyads not observed (NA; network/missing_dyads.h), sorted, none a link of the network;
  // null or empty: every dyad is observed. The sampler lets them vary like any other dyad; the
  // pseudo-likelihood leaves them out (observed_dyads_study).
  std::shared_ptr<const std::vector<std::pair<int, int>>> missing;

  bool directed() const { return model.directed; }
  // The statistics are the fused kernel's (sender_statistics.h): a model of the sixteen types on
  // a network within the dialogue's capacity. Larger networks take the term table.
  bool uses_kernel() const { return model.kernel && network.node_count <= max_nodes; }
  int node_count() const { return network.node_count; }
  // Directed: n(n - 1), plus n with the diagonal; undirected: n(n - 1) / 2.
  std::int64_t dyad_count() const;
  // The same study of another network on the same nodes (a simulated one, for refits).
  Study with_network(Network other) const;
  // The same study with another model of its network.
  Study with_model(Model other) const;
  // The graph the terms read: the network's links (self-links left out of a model with terms
  // other than the sixteen types, which do not define them), with the model's partner tables.
  TermGraph graph() const;
  // The model's statistics of the network. They are counted from the neighbour lists, so the
  // graph they are counted on keeps no partner tables: those serve the change statistics only, and
  // at 10^6 nodes they are most of the memory (2.9 GB of a gwesp model's summary, 0.9 without).
  std::vector<double> statistics() const;
  // What decides the network distribution of the model's statistics here.
  DyadSpace dyad_space() const;
  std::int64_t missing_dyad_count() const {
    return missing ? static_cast<std::int64_t>(missing->size()) : 0;
  }
};

}  // namespace tarn
