#include "model/study.h"

#include <cstdlib>

namespace tarn {

std::int64_t Study::dyad_count() const {
  const std::int64_t n = network.node_count;
  if (network.bipartite > 0) return network.bipartite * (n - network.bipartite);
  if (!directed()) return n * (n - 1) / 2;
  return n * (n - 1) + (include_diagonal ? n : 0);
}

Study Study::with_network(Network other) const {
  Study copy;
  copy.network = std::move(other);
  copy.network.bipartite = network.bipartite;  // the modes are the nodes', not the links'
  copy.include_diagonal = include_diagonal;
  copy.estimate_bound = estimate_bound;
  copy.newton_until_settled = newton_until_settled;
  copy.model = model;
  copy.blocks = blocks;
  copy.comparative = comparative;
  copy.space = space;
  copy.missing = missing;
  return copy;
}

Study Study::with_model(Model other) const {
  Study copy = with_network(network);
  copy.model = std::move(other);
  return copy;
}

namespace {

TermGraph graph_keeping(const Study& study, const PartnerTables& kept) {
  const Network& network = study.network;
  if (study.model.kernel) return TermGraph(network, true, kept);
  TermGraph g(network.node_count, study.directed(), kept);
  g.set_bipartite(network.bipartite);
  for (int a = 1; a <= network.node_count; ++a) {
    for (node_id e : network.out_list(a)) {
      const int b = std::abs(static_cast<int>(e));
      if (b == a || g.has_link(a, b)) continue;  // refused before: a link given twice
      g.toggle(a, b);
    }
  }
  return g;
}

}  // namespace

TermGraph Study::graph() const {
  return graph_keeping(*this, model.partner_tables());
}

std::vector<double> Study::statistics() const {
  return model.network_statistics(graph_keeping(*this, {}));
}

DyadSpace Study::dyad_space() const {
  DyadSpace space;
  space.include_diagonal = include_diagonal;
  space.fixed_self_links = !include_diagonal && model.kernel && network.self_link_count() > 0;
  space.symmetric_blocks = blocks == nullptr || symmetric_structure(*blocks);
  return space;
}

}  // namespace tarn
