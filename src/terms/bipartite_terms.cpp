// Terms of two-mode networks, with ergm's names and definitions. Nodes 1..N1 are the first mode
// (b1), the rest the second (b2); the links join the modes. Each b1 term has its b2 twin:
//   b1star(k)                  sum over b1 nodes of C(degree, k): b1star2
//   b1degree(d)                b1 nodes of degree d: b1deg2
//   b1concurrent               b1 nodes of degree 2 or more
//   gwb1degree(decay, fixed=TRUE)  e^decay sum over b1 nodes of 1 - (1 - e^-decay)^degree
//   b1cov(attr)                the b1 end's value, summed over the links: b1cov.attr
//   b1factor(attr, levels=-1)  links at b1 nodes of each level (levels of the b1 nodes only)
//   b1nodematch(attr)          pairs of b1 nodes of one kept level, each counted once per
//                              common b2 neighbour (ergm's alpha = beta = 1)
// Every term counts only the ends in its own mode, so that its statistic is a sum over the
// links at those nodes even where a dyad within a mode is asked (none is ever a link).

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/degree_terms.h"
#include "terms/dyad_function_term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

// The nodes of one mode: 1..first (mode 1) or first+1..n (mode 2).
struct Mode {
  int mode = 1;
  int first = 0;  // N1
  bool holds(int node) const { return (node <= first) == (mode == 1); }
  std::string prefix() const { return mode == 1 ? "b1" : "b2"; }
};

// The mode of a b1 or b2 term; ModelError naming it on a network of one mode.
Mode mode_of(const TermCall& call, const TermContext& context, int mode) {
  if (context.bipartite <= 0) {
    throw ModelError("term \"" + call.written + "\": " + call.name +
                     " is a term of two-mode networks; give --bipartite N1 when nodes 1..N1 "
                     "are the first mode");
  }
  return Mode{mode, context.bipartite};
}

// The sum over the nodes of a mode of f(node, degree).
class ModeDegreeSum final : public Term {
 public:
  // Adds weight * f_s(node, degree) into out[s] for every statistic s.
  using Function = std::function<void(int node, int degree, double weight, double* out)>;
  ModeDegreeSum(std::string text, std::vector<std::string> names, Mode mode, Function f)
      : Term(std::move(text), std::move(names)), mode_(mode), f_(std::move(f)) {}

  bool dyad_independent() const override { return false; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    const int x = g.tie(i, j);
    for (const int a : {i, j}) {
      if (!mode_.holds(a)) continue;
      const int d = g.degree(a) - x;
      f_(a, d + 1, 1.0, out);
      f_(a, d, -1.0, out);
    }
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    for (int a = 1; a <= g.node_count(); ++a) {
      if (mode_.holds(a)) f_(a, g.degree(a), 1.0, out);
    }
  }

 private:
  Mode mode_;
  Function f_;
};

template <int M>
TermPointer make_star(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"k"});
  const std::vector<int> ks = arguments.whole_numbers("k", 1);
  std::vector<std::string> names;
  for (int k : ks) names.push_back(mode.prefix() + "star" + std::to_string(k));
  return std::make_shared<ModeDegreeSum>(mode.prefix() + "star(" + number_list(ks) + ")",
                                         std::move(names), mode,
                                         [ks](int, int degree, double weight, double* out) {
                                           for (std::size_t s = 0; s < ks.size(); ++s)
                                             out[s] += weight * choose(degree, ks[s]);
                                         });
}

template <int M>
TermPointer make_degree(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"d"});
  const std::vector<int> ds = arguments.whole_numbers("d", 0);
  std::vector<std::string> names;
  for (int d : ds) names.push_back(mode.prefix() + "deg" + std::to_string(d));
  return std::make_shared<ModeDegreeSum>(mode.prefix() + "degree(" + number_list(ds) + ")",
                                         std::move(names), mode,
                                         [ds](int, int degree, double weight, double* out) {
                                           for (std::size_t s = 0; s < ds.size(); ++s)
                                             out[s] += degree == ds[s] ? weight : 0.0;
                                         });
}

template <int M>
TermPointer make_concurrent(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {});
  const std::string name = mode.prefix() + "concurrent";
  return std::make_shared<ModeDegreeSum>(
      name, std::vector<std::string>{name}, mode,
      [](int, int degree, double weight, double* out) { out[0] += degree >= 2 ? weight : 0.0; });
}

template <int M>
TermPointer make_gwdegree(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"decay", "fixed"});
  if (!arguments.logical("fixed", false)) {
    arguments.fail("fixed",
                   "with its decay estimated (a curved term) it is not offered; give "
                   "fixed=TRUE");
  }
  const double decay = arguments.number("decay");
  if (!(decay >= 0.0) || !std::isfinite(decay)) arguments.fail("decay", "give a number, 0 or more");
  const std::string decay_text = r_number_text(decay);
  const double scale = std::exp(decay), r = -std::expm1(-decay);
  return std::make_shared<ModeDegreeSum>(
      "gw" + mode.prefix() + "degree(" + decay_text + ", fixed=TRUE)",
      std::vector<std::string>{"gw" + mode.prefix() + "deg.fixed." + decay_text}, mode,
      [scale, r](int, int degree, double weight, double* out) {
        out[0] += weight * scale * (1.0 - std::pow(r, degree));
      });
}

template <int M>
TermPointer make_cov(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"attr"});
  AttributeColumn column = attribute_of(arguments, context);
  // The other mode's values are not read (they may be absent).
  for (std::size_t k = 0; k < column.value.size(); ++k) {
    if (!mode.holds(static_cast<int>(k) + 1)) column.value[k] = "0";
  }
  const std::vector<double> values = numbers_of(arguments, column, context);
  const std::string stem = mode.prefix() + "cov";
  return std::make_shared<DyadFunctionTerm>(
      stem + "(\"" + column.name + "\")", std::vector<std::string>{stem + "." + column.name},
      [values, mode](int i, int j, double* out) {
        for (const int a : {i, j}) {
          if (mode.holds(a)) out[0] += values[std::size_t(a - 1)];
        }
      },
      std::nullopt);
}

// The levels of an attribute among the nodes of one mode, and each node's level (-1: a node of
// the other mode).
struct ModeLevels {
  Levels levels;
  std::vector<int> of_node;  // node i at i - 1
};

ModeLevels mode_levels(const AttributeColumn& column, const TermContext& context, Mode mode) {
  AttributeColumn own{column.name, {}};
  std::vector<int> place;
  for (int a = 1; a <= context.node_count; ++a) {
    if (!mode.holds(a)) continue;
    place.push_back(a);
    own.value.push_back(column.value[std::size_t(a - 1)]);
  }
  ModeLevels result;
  result.levels = levels_of(own, static_cast<int>(own.value.size()));
  result.of_node.assign(static_cast<std::size_t>(context.node_count), -1);
  for (std::size_t k = 0; k < place.size(); ++k) {
    result.of_node[std::size_t(place[k] - 1)] = result.levels.of_node[k];
  }
  return result;
}

template <int M>
TermPointer make_factor(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"attr", "base", "levels"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const ModeLevels own = mode_levels(column, context, mode);
  const std::vector<int> kept = kept_by_base(arguments, "levels", own.levels.names);
  const std::string stem = mode.prefix() + "factor";
  std::vector<std::string> names;
  for (int k : kept) {
    names.push_back(stem + "." + column.name + "." + own.levels.names[std::size_t(k)]);
  }
  const std::vector<int> index = statistic_index(kept, own.levels.count());
  const std::vector<int> of_node = own.of_node;
  return std::make_shared<DyadFunctionTerm>(
      stem + "(\"" + column.name + "\"" + arguments.written_options({"base", "levels"}) + ")",
      std::move(names),
      [of_node, index](int i, int j, double* out) {
        for (const int a : {i, j}) {
          const int level = of_node[std::size_t(a - 1)];
          if (level < 0) continue;
          if (const int s = index[std::size_t(level)]; s >= 0) out[s] += 1.0;
        }
      },
      std::nullopt);
}

// Pairs of nodes of one mode and one kept level, counted once per common neighbour: per node k
// of the other mode, the pairs of its neighbours that match. A link (a, b), a of this mode, adds
// the neighbours of b other than a that match a.
class ModeNodeMatch final : public Term {
 public:
  // `code`: each node's kept level 0..levels-1, -1 for a level left out or the other mode.
  ModeNodeMatch(std::string text, std::vector<std::string> names, Mode mode, std::vector<int> code,
                int levels, bool diff)
      : Term(std::move(text), std::move(names)),
        mode_(mode),
        code_(std::move(code)),
        levels_(levels),
        diff_(diff) {}

  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (mode_.holds(i) == mode_.holds(j)) return;
    const int a = mode_.holds(i) ? i : j, b = a == i ? j : i;
    const int level = code(a);
    if (level < 0) return;
    double count = 0.0;
    g.for_each_receiver(b, [&](int c) { count += c != a && code(c) == level ? 1.0 : 0.0; });
    out[diff_ ? level : 0] = count;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    std::vector<int> count_of(static_cast<std::size_t>(levels_), 0);
    for (int k = 1; k <= g.node_count(); ++k) {
      if (mode_.holds(k)) continue;
      std::fill(count_of.begin(), count_of.end(), 0);
      g.for_each_receiver(k, [&](int c) {
        if (mode_.holds(c) && code(c) >= 0) ++count_of[std::size_t(code(c))];
      });
      for (std::size_t level = 0; level < count_of.size(); ++level) {
        const double c = count_of[level];
        out[diff_ ? level : 0] += c * (c - 1) / 2;
      }
    }
  }

 private:
  // The kept level of node a, -1 for a level left out or a node of the other mode.
  int code(int a) const { return code_[std::size_t(a - 1)]; }
  Mode mode_;
  std::vector<int> code_;
  int levels_;
  bool diff_;
};

template <int M>
TermPointer make_nodematch(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"attr", "diff", "keep", "beta", "alpha", "levels"});
  for (const char* discount : {"alpha", "beta"}) {
    if (arguments.given(discount) && arguments.number(discount) != 1.0) {
      arguments.fail(discount, "only the default, 1, is offered");
    }
  }
  if (arguments.given("keep")) arguments.fail("keep", "give levels= (keep is deprecated)");
  const bool diff = arguments.logical("diff", false);
  const AttributeColumn& column = attribute_of(arguments, context);
  const ModeLevels own = mode_levels(column, context, mode);
  const std::vector<int> kept = kept_positions(arguments, "levels", own.levels.names, false);
  const std::vector<int> index = statistic_index(kept, own.levels.count());
  std::vector<int> code(own.of_node.size(), -1);
  for (std::size_t a = 0; a < code.size(); ++a) {
    if (own.of_node[a] >= 0) code[a] = index[std::size_t(own.of_node[a])];
  }
  const std::string stem = mode.prefix() + "nodematch." + column.name;
  std::vector<std::string> names;
  if (diff) {
    for (int k : kept) names.push_back(stem + "." + own.levels.names[std::size_t(k)]);
  } else {
    names.push_back(stem);
  }
  return std::make_shared<ModeNodeMatch>(mode.prefix() + "nodematch(\"" + column.name + "\"" +
                                             arguments.written_options({"diff", "levels"}) + ")",
                                         std::move(names), mode, std::move(code),
                                         static_cast<int>(kept.size()), diff);
}

constexpr std::array<TermEntry, 14> entries = {{
    {"b1star", "k", "two-mode: sum over first-mode nodes of C(degree, k)", Networks::both, "",
     make_star<1>},
    {"b2star", "k", "two-mode: sum over second-mode nodes of C(degree, k)", Networks::both, "",
     make_star<2>},
    {"b1degree", "d", "two-mode: first-mode nodes of degree d", Networks::both, "", make_degree<1>},
    {"b2degree", "d", "two-mode: second-mode nodes of degree d", Networks::both, "",
     make_degree<2>},
    {"b1concurrent", "", "two-mode: first-mode nodes of degree 2 or more", Networks::both, "",
     make_concurrent<1>},
    {"b2concurrent", "", "two-mode: second-mode nodes of degree 2 or more", Networks::both, "",
     make_concurrent<2>},
    {"gwb1degree", "decay, fixed=TRUE",
     "two-mode: e^decay * sum over first-mode nodes of 1 - (1 - e^-decay)^degree", Networks::both,
     "", make_gwdegree<1>},
    {"gwb2degree", "decay, fixed=TRUE",
     "two-mode: e^decay * sum over second-mode nodes of 1 - (1 - e^-decay)^degree", Networks::both,
     "", make_gwdegree<2>},
    {"b1cov", "attr", "two-mode: the first-mode end's value, summed over links", Networks::both, "",
     make_cov<1>},
    {"b2cov", "attr", "two-mode: the second-mode end's value, summed over links", Networks::both,
     "", make_cov<2>},
    {"b1factor", "attr, base=1, levels=-1",
     "two-mode: links at first-mode nodes of each level (the first left out)", Networks::both, "",
     make_factor<1>},
    {"b2factor", "attr, base=1, levels=-1",
     "two-mode: links at second-mode nodes of each level (the first left out)", Networks::both, "",
     make_factor<2>},
    {"b1nodematch", "attr, diff=FALSE, levels",
     "two-mode: pairs of first-mode nodes of one level, once per common neighbour", Networks::both,
     "", make_nodematch<1>},
    {"b2nodematch", "attr, diff=FALSE, levels",
     "two-mode: pairs of second-mode nodes of one level, once per common neighbour", Networks::both,
     "", make_nodematch<2>},
}};

}  // namespace

std::span<const TermEntry> bipartite_term_entries() {
  return entries;
}

}  // namespace tarn
