#include "valued/valued_model.h"

#include "terms/formula.h"

namespace tarn {

bool ValuedModel::dyad_independent() const {
  for (const ValuedTermPointer& t : terms) {
    if (!t->dyad_independent()) return false;
  }
  return true;
}

Vector ValuedModel::statistics(const ValuedGraph& g) const {
  Vector out(static_cast<std::size_t>(statistic_count()), 0.0);
  std::size_t first = 0;
  for (const ValuedTermPointer& t : terms) {
    t->empty_statistics(g, out.data() + first);
    first += static_cast<std::size_t>(t->statistic_count());
  }
  // Built up from the empty network, dyad by dyad in order, as ergm sums them.
  ValuedGraph built(g.node_count(), g.directed());
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const ValuedEntry& e : g.out(i)) {
      if (!g.directed() && e.node < i) continue;
      change(built, i, e.node, e.value, out.data());
      built.set(i, e.node, e.value);
    }
  }
  return out;
}

void ValuedModel::change(const ValuedGraph& g, int i, int j, int to, double* out) const {
  std::size_t first = 0;
  for (const ValuedTermPointer& t : terms) {
    t->add_change(g, i, j, to, out + first);
    first += static_cast<std::size_t>(t->statistic_count());
  }
}

ValuedModel build_valued_model(const std::string& formula, const TermContext& context,
                               const Reference& reference) {
  if (reference.kind == ReferenceKind::bernoulli) {
    throw ModelError("reference Bernoulli is the binary model: leave out --response");
  }
  ValuedModel model;
  model.formula = formula;
  model.reference = reference;
  for (const TermCall& call : parse_formula(formula)) {
    ValuedTermPointer term = make_valued_term(call, context);
    for (const std::string& name : term->statistic_names()) model.names.push_back(name);
    model.terms.push_back(std::move(term));
  }
  if (model.terms.empty()) throw ModelError("the model has no terms");
  for (std::size_t a = 0; a < model.names.size(); ++a) {
    for (std::size_t b = a + 1; b < model.names.size(); ++b) {
      if (model.names[a] == model.names[b]) {
        throw ModelError("the model has the statistic " + model.names[a] + " twice");
      }
    }
  }
  return model;
}

std::string outside_support(const ValuedGraph& g, const Reference& reference) {
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const ValuedEntry& e : g.out(i)) {
      if (!reference.allows(e.value)) {
        return "the dyad " + std::to_string(i) + " -> " + std::to_string(e.node) +
               " has the value " + std::to_string(e.value) + ", outside the values of " +
               reference.text();
      }
    }
  }
  if (!reference.allows(0) && g.nonzero_count() < g.dyad_count()) {
    return "some dyads have the value 0 (every dyad the list does not give), outside the values "
           "of " +
           reference.text();
  }
  return {};
}

}  // namespace tarn
