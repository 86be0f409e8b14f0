// The dyad-dependent terms of valued networks, as ergm defines them (Krivitsky 2012): mutual
// with form=, the transitive and cyclical weights and ties, and the node covariances of values.

#include <algorithm>
#include <cmath>
#include <functional>

#include "terms/term_arguments.h"
#include "terms/term_table.h"
#include "terms/valued_term.h"

namespace tarn {

namespace {

// mutual(form=): over the pairs i < j, a function of y_ij and y_ji.
class ValuedMutualTerm final : public ValuedTerm {
 public:
  enum class Form { min, nabsdiff, product, geometric };
  ValuedMutualTerm(std::string text, std::string name, Form form)
      : ValuedTerm(std::move(text), {std::move(name)}), form_(form) {}
  bool dyad_independent() const override { return false; }
  void add_change(const ValuedGraph& g, int i, int j, int to, double* out) const override {
    const int back = g.value(j, i), from = g.value(i, j);
    out[0] += pair_value(to, back) - pair_value(from, back);
  }

 private:
  double pair_value(int a, int b) const {
    switch (form_) {
      case Form::min:
        return std::min(a, b);
      case Form::nabsdiff:
        return -std::abs(a - b);
      case Form::product:
        return static_cast<double>(a) * b;
      case Form::geometric:
        break;
    }
    return std::sqrt(static_cast<double>(a) * b);
  }
  Form form_;
};

// The strength of one two-path, of the two-paths of a dyad combined, and of the dyad with them.
enum class Pick { min, geomean, max, sum };

double pick(Pick how, double a, double b) {
  switch (how) {
    case Pick::min:
      return std::min(a, b);
    case Pick::geomean:
      return std::sqrt(a * b);
    case Pick::max:
      return std::max(a, b);
    case Pick::sum:
      break;
  }
  return a + b;
}

// transitiveweights and cyclicalweights (and their ties forms, of values above a threshold
// taken as 1): sum over the dyads (i, j) of affect(y_ij, combine over k of twopath(y_ik, y_kj)),
// the two-paths i->k->j (transitive) or j->k->i (cyclical). Undirected, over the pairs i < j
// and every third node k, as ergm's C++ terms count them (its older C terms took only k < j).
class WeightedClosureTerm final : public ValuedTerm {
 public:
  struct Options {
    Pick twopath = Pick::min, combine = Pick::max, affect = Pick::min;
    bool cyclical = false;
    bool ties = false;  // values above `threshold` count 1, others 0
    double threshold = 0;
  };
  WeightedClosureTerm(std::string text, std::string name, Options options)
      : ValuedTerm(std::move(text), {std::move(name)}), o_(options) {}
  bool dyad_independent() const override { return false; }

  void add_change(const ValuedGraph& g, int i, int j, int to, double* out) const override {
    const int from = g.value(i, j);
    if (from == to) return;
    const double before = strength(from), after = strength(to);
    if (before == after) return;
    double change = 0.0;
    // (i, j) as the focus dyad: its two-paths do not pass through it.
    const double paths = o_.cyclical ? combined(g, j, i, 0, 0) : combined(g, i, j, 0, 0);
    change += affected(after, paths) - affected(before, paths);
    // (i, j) as a leg of a two-path of the focus dyad (a, b), through `middle`, its other leg of
    // strength `other`. No focus dyad comes twice: each is named by its middle node.
    auto as_leg = [&](int a, int b, int start, int end, int middle, double other) {
      const double focus = strength(g.value(a, b));
      if (focus == 0 || other == 0) return;
      const double path_after = pick(o_.twopath, after, other);
      const double path_before = pick(o_.twopath, before, other);
      if (path_after == path_before) return;
      // The strongest two-paths cut at the focus dyad's own value: past it, no change.
      if (o_.combine == Pick::max && o_.affect == Pick::min &&
          focus <= std::min(path_after, path_before)) {
        return;
      }
      const double rest = combined(g, start, end, middle, 0);
      change += affected(focus, pick(o_.combine, rest, path_after)) -
                affected(focus, pick(o_.combine, rest, path_before));
    };
    if (!g.directed()) {
      for (const ValuedEntry& e : g.out(j)) {  // {i, l} through j
        if (e.node != i) as_leg(i, e.node, i, e.node, j, strength(e.value));
      }
      for (const ValuedEntry& e : g.out(i)) {  // {j, l} through i
        if (e.node != j) as_leg(j, e.node, j, e.node, i, strength(e.value));
      }
    } else if (!o_.cyclical) {
      for (const ValuedEntry& e : g.out(j)) {  // (i, l): i->j->l
        if (e.node != i) as_leg(i, e.node, i, e.node, j, strength(e.value));
      }
      for (const ValuedEntry& e : g.in(i)) {  // (h, j): h->i->j
        if (e.node != j) as_leg(e.node, j, e.node, j, i, strength(e.value));
      }
    } else {
      for (const ValuedEntry& e : g.out(j)) {  // (a, i), its cycle i->j->a
        if (e.node != i) as_leg(e.node, i, i, e.node, j, strength(e.value));
      }
      for (const ValuedEntry& e : g.in(i)) {  // (j, b), its cycle b->i->j
        if (e.node != j) as_leg(j, e.node, e.node, j, i, strength(e.value));
      }
    }
    out[0] += change;
  }

 private:
  double strength(int value) const {
    return o_.ties ? (value > o_.threshold ? 1.0 : 0.0) : static_cast<double>(value);
  }
  double affected(double focus, double paths) const {
    return focus == 0 ? 0.0 : pick(o_.affect, focus, paths);
  }
  // The two-paths start -> k -> end combined, k neither `skip` nor an end.
  double combined(const ValuedGraph& g, int start, int end, int skip, int skip_too) const {
    double result = 0.0;
    for (const ValuedEntry& e : g.out(start)) {
      const int k = e.node;
      if (k == end || k == skip || k == skip_too) continue;
      const double first = strength(e.value);
      if (first == 0) continue;
      const double second = strength(g.value(k, end));
      if (second == 0) continue;
      result = pick(o_.combine, result, pick(o_.twopath, first, second));
    }
    return result;
  }
  Options o_;
};

// nodecovar (undirected), nodeocovar, nodeicovar: over each node, the products of the
// (transformed) values of its pairs of dyads, over n - 2: undirected the pairs j < k, directed
// the ordered pairs j != k of its out-dyads (in-dyads), twice the sum over j < k, as ergm's
// change statistics (2 * diff * ...) and its own tests count them.
class NodeCovarianceTerm final : public ValuedTerm {
 public:
  enum class Side { both, out, in };
  NodeCovarianceTerm(std::string text, std::string name, Side side, bool square_root)
      : ValuedTerm(std::move(text), {std::move(name)}), side_(side), square_root_(square_root) {}
  bool dyad_independent() const override { return false; }
  void add_change(const ValuedGraph& g, int i, int j, int to, double* out) const override {
    const double difference = transformed(to) - transformed(g.value(i, j));
    double others = 0.0;
    // The dyads that share the node with (i, j): i's other out-dyads, j's other in-dyads
    // (undirected: both ends' other dyads).
    if (side_ != Side::in) {
      for (const ValuedEntry& e : g.out(i)) others += e.node == j ? 0.0 : transformed(e.value);
    }
    if (side_ != Side::out) {
      const auto& list = side_ == Side::both ? g.out(j) : g.in(j);
      for (const ValuedEntry& e : list) others += e.node == i ? 0.0 : transformed(e.value);
    }
    const double pairs = side_ == Side::both ? 1.0 : 2.0;
    out[0] += pairs * difference * others / (g.node_count() - 2);
  }

 private:
  double transformed(int value) const {
    return square_root_ ? std::sqrt(static_cast<double>(value)) : value;
  }
  Side side_;
  bool square_root_;
};

Pick pick_of(const TermArguments& a, std::string_view argument, Pick first, Pick second,
             const char* first_name, const char* second_name) {
  const auto given = a.text_if_given(argument);
  if (!given || *given == first_name) return first;
  if (*given == second_name) return second;
  a.fail(argument, std::string("must be \"") + first_name + "\" or \"" + second_name + "\".");
}

const char* pick_name(Pick p) {
  switch (p) {
    case Pick::min:
      return "min";
    case Pick::geomean:
      return "geomean";
    case Pick::max:
      return "max";
    case Pick::sum:
      break;
  }
  return "sum";
}

template <bool Cyclical>
ValuedTermPointer make_weights(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"twopath", "combine", "affect"});
  WeightedClosureTerm::Options o;
  o.twopath = pick_of(a, "twopath", Pick::min, Pick::geomean, "min", "geomean");
  o.combine = pick_of(a, "combine", Pick::max, Pick::sum, "max", "sum");
  o.affect = pick_of(a, "affect", Pick::min, Pick::geomean, "min", "geomean");
  o.cyclical = Cyclical;
  const std::string name = std::string(Cyclical ? "cyclicalweights." : "transitiveweights.") +
                           pick_name(o.twopath) + "." + pick_name(o.combine) + "." +
                           pick_name(o.affect);
  return std::make_shared<WeightedClosureTerm>(call.written, name, o);
}

template <bool Cyclical>
ValuedTermPointer make_ties(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"threshold"});
  WeightedClosureTerm::Options o;
  o.cyclical = Cyclical;
  o.ties = true;
  o.threshold = a.number("threshold", 0.0);
  return std::make_shared<WeightedClosureTerm>(call.written,
                                               Cyclical ? "cyclicalties" : "transitiveties", o);
}

template <NodeCovarianceTerm::Side Side, bool SquareRoot>
ValuedTermPointer make_covariance(const TermCall& call, const TermContext& context) {
  const char* name = Side == NodeCovarianceTerm::Side::both  ? "nodecovar"
                     : Side == NodeCovarianceTerm::Side::out ? "nodeocovar"
                                                             : "nodeicovar";
  bool square_root = SquareRoot;
  if (!SquareRoot) {
    const TermArguments a(call, {"center", "transform"});
    if (a.logical("center", false)) {
      a.fail("center", "center=TRUE (centring by the network's mean value) is not offered.");
    }
    const auto transform = a.text_if_given("transform");
    if (transform && *transform != "identity" && *transform != "sqrt") {
      a.fail("transform", "must be \"identity\" or \"sqrt\".");
    }
    square_root = transform && *transform == "sqrt";
  } else {
    const TermArguments a(call, {});
  }
  if (context.node_count < 3) {
    throw ModelError("term \"" + call.written + "\": " + name + " needs at least 3 nodes");
  }
  return std::make_shared<NodeCovarianceTerm>(call.written, name, Side, square_root);
}

constexpr TermEntry entries[] = {
    {"transitiveweights", "twopath=\"min\", combine=\"max\", affect=\"min\"",
     "each dyad's value against its strongest (or summed) two-paths i->k->j", Networks::both, "",
     nullptr, make_weights<false>},
    {"cyclicalweights", "twopath=\"min\", combine=\"max\", affect=\"min\"",
     "each dyad's value against its two-paths j->k->i", Networks::both, "", nullptr,
     make_weights<true>},
    {"nodecovar", "center=FALSE, transform=\"identity\"",
     "products of the values of each node's pairs of dyads, over n - 2", Networks::undirected,
     "nodeocovar or nodeicovar", nullptr, make_covariance<NodeCovarianceTerm::Side::both, false>},
    {"nodesqrtcovar", "", "nodecovar(transform=\"sqrt\")", Networks::undirected,
     "nodeocovar(transform=\"sqrt\")", nullptr,
     make_covariance<NodeCovarianceTerm::Side::both, true>},
    {"nodeocovar", "center=FALSE, transform=\"identity\"",
     "products of the values of each node's pairs of out-dyads, over n - 2", Networks::directed,
     "nodecovar", nullptr, make_covariance<NodeCovarianceTerm::Side::out, false>},
    {"nodeicovar", "center=FALSE, transform=\"identity\"",
     "products of the values of each node's pairs of in-dyads, over n - 2", Networks::directed,
     "nodecovar", nullptr, make_covariance<NodeCovarianceTerm::Side::in, false>},
};

}  // namespace

std::span<const TermEntry> valued_dependent_term_entries() {
  return entries;
}

ValuedTermPointer make_valued_transitiveties(const TermCall& call, const TermContext& context) {
  return make_ties<false>(call, context);
}

ValuedTermPointer make_valued_cyclicalties(const TermCall& call, const TermContext& context) {
  return make_ties<true>(call, context);
}

ValuedTermPointer make_valued_mutual(const TermCall& call, const TermContext&) {
  const TermArguments a(call, {"form", "threshold"});
  const std::string form = a.text_if_given("form").value_or("min");
  using Form = ValuedMutualTerm::Form;
  if (a.given("threshold") || form == "threshold") {
    a.fail("threshold",
           "form=\"threshold\" is not offered; atleast or greaterthan count values "
           "above a threshold.");
  }
  if (form == "min")
    return std::make_shared<ValuedMutualTerm>(call.written, "mutual.min", Form::min);
  if (form == "nabsdiff") {
    return std::make_shared<ValuedMutualTerm>(call.written, "mutual.nabsdiff", Form::nabsdiff);
  }
  if (form == "product") {
    return std::make_shared<ValuedMutualTerm>(call.written, "mutual.product", Form::product);
  }
  if (form == "geometric") {
    return std::make_shared<ValuedMutualTerm>(call.written, "mutual.geom.mean", Form::geometric);
  }
  a.fail("form", "must be \"min\", \"nabsdiff\", \"product\" or \"geometric\".");
}

}  // namespace tarn
