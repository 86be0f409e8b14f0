#pragma once
// A model of counts: the valued terms of a formula, the reference measure, and the observed
// network of counts, built once and passed to the sampler and the estimator.

#include <string>
#include <vector>

#include "numeric/matrix.h"
#include "terms/term_table.h"
#include "terms/valued_graph.h"
#include "terms/valued_term.h"
#include "valued/reference.h"

namespace tarn {

struct ValuedModel {
  std::string formula;
  std::vector<ValuedTermPointer> terms;
  std::vector<std::string> names;  // every statistic's, as ergm names them
  Reference reference;

  int statistic_count() const { return static_cast<int>(names.size()); }
  bool dyad_independent() const;
  // The statistics of a network.
  Vector statistics(const ValuedGraph& g) const;
  // out[s] = the change of statistic s when the dyad (i, j) moves to `to`.
  void change(const ValuedGraph& g, int i, int j, int to, double* out) const;
};

// The model of `formula` on a network of `context`'s kind. Throws ModelError naming the term (a
// binary network's term, an offset, no terms) or the reference (Bernoulli: a binary model).
ValuedModel build_valued_model(const std::string& formula, const TermContext& context,
                               const Reference& reference);

// A dyad's value outside the reference's support (Binomial(trials=2) and a value of 3, DiscUnif
// with a > 0 and a dyad absent from the list): the message naming the dyad and value, or empty.
std::string outside_support(const ValuedGraph& g, const Reference& reference);

}  // namespace tarn
