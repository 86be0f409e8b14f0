#pragma once
// Models of counts on 3 or 4 nodes, small enough to enumerate every network of counts, and
// networks given as their dyads' values.

#include <optional>
#include <string>
#include <vector>

#include "support/every_valued_network.h"
#include "valued/valued_model.h"

namespace tarn::test {

struct Setting {
  std::string formula;
  bool directed = true;
  int n = 3;
  std::string reference = "Binomial(trials=2)";
};

// Nodes 1..4: x = 1, 2, 4, 7 and g = a, a, b, b.
struct Built {
  NodeCovariates attributes;
  ValuedModel model;
  ValuedSpace space;
};

inline Built build(const Setting& s) {
  Built b;
  b.attributes.node_count = s.n;
  b.attributes.columns = {{"x", {"1", "2", "4", "7"}}, {"g", {"a", "a", "b", "b"}}};
  for (AttributeColumn& c : b.attributes.columns) c.value.resize(std::size_t(s.n));
  TermContext context;
  context.directed = s.directed;
  context.node_count = s.n;
  context.attributes = &b.attributes;
  const Reference reference = parse_reference(s.reference);
  b.model = build_valued_model(s.formula, context, reference);
  b.space = {s.n, s.directed, reference.low, reference.high};
  return b;
}

// The network whose dyads, in the space's order, hold `values`.
inline ValuedGraph network_of(const ValuedSpace& space, const std::vector<int>& values) {
  ValuedGraph g(space.n, space.directed);
  const auto dyads = space.dyads();
  for (std::size_t d = 0; d < dyads.size(); ++d) g.set(dyads[d].first, dyads[d].second, values[d]);
  return g;
}

// The exact MLE of the model on `observed` (nothing when there is none), by enumeration.
inline std::optional<ValuedExactFit> exact_fit_of(const Built& b, const ValuedGraph& observed) {
  return exact_valued_fit(enumerate(b.model, b.space), b.model.statistics(observed));
}

struct FitCase {
  Setting setting;
  std::vector<int> observed;  // by dyad: (1,2), (1,3), ... (directed: (1,2), (1,3), (2,1), ...)
};

}  // namespace tarn::test
