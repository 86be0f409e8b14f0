// Terms of two-mode networks, with ergm's names and definitions. Nodes 1..N1 are the first mode
// (b1), the rest the second (b2); the links join the modes. Each b1 term has its b2 twin:
//   b1star(k)                  sum over b1 nodes of C(degree, k): b1star2
//   b1degree(d)                b1 nodes of degree d: b1deg2
//   b1mindegree(d)             b1 nodes of degree d or more: b1mindeg2
//   b1degrange(from, to=Inf)   b1 nodes with from <= degree < to: b1deg1to3, b1deg2+
//   b1concurrent               b1 nodes of degree 2 or more
//   b1sociality(attr, levels, nodes=-1)  each b1 node's degree: b1sociality3 (node 3)
//   gwb1degree(decay, fixed=FALSE)  e^decay sum over b1 nodes of 1 - (1 - e^-decay)^degree;
//                              estimated decay: the counts gwb1degree#1..K, curved
//   b1cov(attr)                the b1 end's value, summed over the links: b1cov.attr
//   b1factor(attr, levels=-1)  links at b1 nodes of each level (levels of the b1 nodes only)
// The matches (b1nodematch), the shared partners (b1dsp) and the mixing terms (b1twostar,
// b1starmix) are in files of their own. Every term counts only the ends in its own mode, so that
// its statistic is a sum over the links at those nodes even where a dyad within a mode is asked
// (none is ever a link).

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/bipartite_mode.h"
#include "terms/curved_terms.h"
#include "terms/degree_terms.h"
#include "terms/dyad_function_term.h"
#include "terms/shared_partners.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

Mode mode_of(const TermCall& call, const TermContext& context, int mode) {
  if (context.bipartite <= 0) {
    throw ModelError("term \"" + call.written + "\": " + call.name +
                     " is a term of two-mode networks; give --bipartite N1 when nodes 1..N1 "
                     "are the first mode");
  }
  return Mode{mode, context.bipartite};
}

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

namespace {

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

// Bins of the mode's nodes by degree (in_bin(b, degree)); with by=, one statistic per kept
// level of the mode's nodes and bin, the bin varying fastest: b1deg1.groupa, as ergm's by.
// `text`: the term as written, without its closing parenthesis.
TermPointer binned_by(const TermArguments& arguments, const TermContext& context, Mode mode,
                      std::string text, std::vector<std::string> bins,
                      std::function<bool(std::size_t bin, int degree)> in_bin) {
  std::vector<std::string> names;
  std::vector<int> code;  // the node's kept level, -1 for none; empty without by=
  if (arguments.given("by")) {
    const AttributeColumn& column = attribute_of(arguments, context, "by");
    const ModeLevels own = mode_levels(column, context, mode);
    const std::vector<int> kept = kept_positions(arguments, "levels", own.levels.names, false);
    if (kept.empty()) arguments.fail("levels", "it keeps no level");
    const std::vector<int> index = statistic_index(kept, own.levels.count());
    for (int level : own.of_node) code.push_back(level < 0 ? -1 : index[std::size_t(level)]);
    for (int k : kept) {
      for (const std::string& bin : bins) {
        names.push_back(bin + "." + column.name + own.levels.names[std::size_t(k)]);
      }
    }
  } else {
    if (arguments.given("levels")) arguments.fail("levels", "it chooses levels of by=");
    names = bins;
  }
  std::string options = arguments.written_options({"by", "levels"});
  if (text.back() != '(') {
    text += options + ")";
  } else if (options.empty()) {
    text.pop_back();  // b1concurrent
  } else {
    text += options.substr(2) + ")";
  }
  const std::size_t count = bins.size();
  return std::make_shared<ModeDegreeSum>(
      std::move(text), std::move(names), mode,
      [code, count, in_bin](int node, int degree, double weight, double* out) {
        std::size_t first = 0;
        if (!code.empty()) {
          const int level = code[std::size_t(node - 1)];
          if (level < 0) return;
          first = std::size_t(level) * count;
        }
        for (std::size_t b = 0; b < count; ++b) {
          if (in_bin(b, degree)) out[first + b] += weight;
        }
      });
}

// Stars whose centre and leaves share the attribute's level (ergm's b1star with attr; the levels
// left out count as one level, as ergm recodes them): b1star2.group.
class ModeAttributeStars final : public Term {
 public:
  ModeAttributeStars(std::string text, std::vector<std::string> names, Mode mode,
                     std::vector<int> code, std::vector<int> ks)
      : Term(std::move(text), std::move(names)),
        mode_(mode),
        code_(std::move(code)),
        ks_(std::move(ks)) {}

  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (mode_.holds(i) == mode_.holds(j)) return;
    const int a = mode_.holds(i) ? i : j, b = a == i ? j : i;
    if (code(a) != code(b)) return;
    int alike = 0;  // a's other neighbours of its level
    g.for_each_receiver(a, [&](int v) { alike += v != b && code(v) == code(a); });
    for (std::size_t s = 0; s < ks_.size(); ++s) out[s] = choose(alike, ks_[s] - 1);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    for (int a = 1; a <= g.node_count(); ++a) {
      if (!mode_.holds(a)) continue;
      int alike = 0;
      g.for_each_receiver(a, [&](int v) { alike += code(v) == code(a); });
      for (std::size_t s = 0; s < ks_.size(); ++s) out[s] += choose(alike, ks_[s]);
    }
  }

 private:
  int code(int a) const { return code_[std::size_t(a - 1)]; }
  Mode mode_;
  std::vector<int> code_;
  std::vector<int> ks_;
};

template <int M>
TermPointer make_star(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"k", "attr", "levels"});
  const std::vector<int> ks = arguments.whole_numbers("k", 1);
  std::vector<std::string> names;
  const std::string text = mode.prefix() + "star(" + number_list(ks);
  if (arguments.given("attr")) {
    const AttributeColumn& column = attribute_of(arguments, context);
    const Levels levels = levels_of(column, context.node_count);
    for (int k : ks)
      names.push_back(mode.prefix() + "star" + std::to_string(k) + "." + column.name);
    return std::make_shared<ModeAttributeStars>(
        text + ", \"" + column.name + "\"" + arguments.written_options({"levels"}) + ")",
        std::move(names), mode,
        kept_codes(levels, kept_positions(arguments, "levels", levels.names, false), false), ks);
  }
  if (arguments.given("levels")) arguments.fail("levels", "it chooses levels of attr=");
  for (int k : ks) names.push_back(mode.prefix() + "star" + std::to_string(k));
  return std::make_shared<ModeDegreeSum>(text + ")", std::move(names), mode,
                                         [ks](int, int degree, double weight, double* out) {
                                           for (std::size_t s = 0; s < ks.size(); ++s)
                                             out[s] += weight * choose(degree, ks[s]);
                                         });
}

template <int M>
TermPointer make_degree(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"d", "by", "levels"});
  const std::vector<int> ds = arguments.whole_numbers("d", 0);
  std::vector<std::string> bins;
  for (int d : ds) bins.push_back(mode.prefix() + "deg" + std::to_string(d));
  return binned_by(arguments, context, mode, mode.prefix() + "degree(" + number_list(ds),
                   std::move(bins), [ds](std::size_t b, int degree) { return degree == ds[b]; });
}

// Nodes of the mode with from <= degree < to: b1deg1to3, b1deg2+ (to past n), as degrange.
template <int M>
TermPointer make_degrange(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"from", "to", "by", "levels"});
  DegreeRanges r = degree_ranges(arguments, context.node_count, mode.prefix());
  const std::vector<int> from = r.from, to = r.to;
  std::vector<std::string> bins = std::move(r.names);
  const std::string text = std::move(r.text);
  return binned_by(
      arguments, context, mode, text, std::move(bins),
      [from, to](std::size_t b, int degree) { return degree >= from[b] && degree < to[b]; });
}

template <int M>
TermPointer make_concurrent(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"by", "levels"});
  const std::string name = mode.prefix() + "concurrent";
  return binned_by(arguments, context, mode, name + "(", {name},
                   [](std::size_t, int degree) { return degree >= 2; });
}

template <int M>
TermPointer make_mindegree(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"d"});
  const std::vector<int> ds = arguments.whole_numbers("d", 0);
  std::vector<std::string> names;
  for (int d : ds) names.push_back(mode.prefix() + "mindeg" + std::to_string(d));
  return std::make_shared<ModeDegreeSum>(mode.prefix() + "mindegree(" + number_list(ds) + ")",
                                         std::move(names), mode,
                                         [ds](int, int degree, double weight, double* out) {
                                           for (std::size_t s = 0; s < ds.size(); ++s)
                                             out[s] += degree >= ds[s] ? weight : 0.0;
                                         });
}

// With attr= (the decay fixed, as ergm): per kept level of the mode's nodes, the weighted degrees
// of its nodes: gwb1deg0.5.groupa.
TermPointer gwdegree_by_level(const TermArguments& arguments, const TermContext& context, Mode mode,
                              const std::string& name, Decay decay) {
  if (!decay.fixed)
    arguments.fail("fixed", "with attr= the decay is fixed (fixed=TRUE), as in ergm");
  const AttributeColumn& column = attribute_of(arguments, context);
  const ModeLevels own = mode_levels(column, context, mode);
  const std::vector<int> kept = kept_positions(arguments, "levels", own.levels.names, false);
  if (kept.empty()) arguments.fail("levels", "it keeps no level");
  const std::vector<int> index = statistic_index(kept, own.levels.count());
  std::vector<int> code;
  for (int level : own.of_node) code.push_back(level < 0 ? -1 : index[std::size_t(level)]);
  const std::string decay_text = r_number_text(decay.value);
  std::vector<std::string> names;
  for (int k : kept) {
    names.push_back("gw" + mode.prefix() + "deg" + decay_text + "." + column.name +
                    own.levels.names[std::size_t(k)]);
  }
  const double scale = std::exp(decay.value), r = -std::expm1(-decay.value);
  return std::make_shared<ModeDegreeSum>(
      name + "(" + decay_text + ", fixed=TRUE, attr=\"" + column.name + "\"" +
          arguments.written_options({"levels"}) + ")",
      std::move(names), mode, [code, scale, r](int node, int degree, double weight, double* out) {
        if (const int s = code[std::size_t(node - 1)]; s >= 0) {
          out[s] += weight * scale * (1.0 - std::pow(r, degree));
        }
      });
}

// Fixed: one statistic; estimated (ergm's default): the counts of the mode's nodes of degree
// 1..K, K the cutoff (at most the other mode's size), weighted by the curved machinery.
template <int M>
TermPointer make_gwdegree(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"decay", "fixed", "attr", "cutoff", "levels"});
  const Decay decay = decay_of(arguments);
  const std::string name = "gw" + mode.prefix() + "degree";
  if (arguments.given("attr")) return gwdegree_by_level(arguments, context, mode, name, decay);
  if (arguments.given("levels")) arguments.fail("levels", "it chooses levels of attr=");
  auto fixed = [mode, name](double a) -> TermPointer {
    const std::string decay_text = r_number_text(a);
    const double scale = std::exp(a), r = -std::expm1(-a);
    return std::make_shared<ModeDegreeSum>(
        name + "(" + decay_text + ", fixed=TRUE)",
        std::vector<std::string>{"gw" + mode.prefix() + "deg.fixed." + decay_text}, mode,
        [scale, r](int, int degree, double weight, double* out) {
          out[0] += weight * scale * (1.0 - std::pow(r, degree));
        });
  };
  if (decay.fixed) {
    return fixed(decay.value);
  }
  const int other_size = mode.mode == 1 ? context.node_count - mode.first : mode.first;
  const int cutoff = cutoff_of(arguments, std::max(1, other_size));
  std::vector<std::string> names;
  for (int k = 1; k <= cutoff; ++k) names.push_back(name + "#" + std::to_string(k));
  const std::string text = name + "(" + r_number_text(decay.value) +
                           (arguments.given("cutoff") ? ", cutoff=" + std::to_string(cutoff) : "") +
                           ")";
  auto counts = std::make_shared<ModeDegreeSum>(
      text, names, mode, [cutoff](int, int degree, double weight, double* out) {
        if (degree >= 1 && degree <= cutoff) out[degree - 1] += weight;
      });
  auto beyond = [mode, cutoff](const TermGraph& g) {
    int count = 0;
    for (int a = 1; a <= g.node_count(); ++a) count += mode.holds(a) && g.degree(a) > cutoff;
    return count;
  };
  return make_curved_from_counts(CurvedTermParts{text, name, names, decay.value, fixed}, counts,
                                 beyond);
}

// One statistic per kept node of the mode: its degree (with attr: its links to nodes of its own
// level). nodes= chooses among the mode's nodes, by default
// all but the first, as ergm's b1sociality does.
template <int M>
TermPointer make_sociality(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"attr", "levels", "nodes"});
  const int n = context.node_count;
  std::vector<int> members;
  std::vector<std::string> numbers;
  for (int a = 1; a <= n; ++a) {
    if (!mode.holds(a)) continue;
    members.push_back(a);
    numbers.push_back(std::to_string(a));
  }
  const std::vector<int> kept = kept_positions(arguments, "nodes", numbers, true);
  if (kept.empty()) arguments.fail("nodes", "it keeps no node");
  std::vector<int> index(static_cast<std::size_t>(n), -1);
  for (std::size_t s = 0; s < kept.size(); ++s) {
    index[std::size_t(members[std::size_t(kept[s])] - 1)] = static_cast<int>(s);
  }
  std::vector<int> codes;
  std::string suffix, attribute;
  if (arguments.given("attr")) {
    const AttributeColumn& column = attribute_of(arguments, context);
    const Levels levels = levels_of(column, n);
    // ergm's recoding: the levels left out are one level together.
    codes = kept_codes(levels, kept_positions(arguments, "levels", levels.names, false), false);
    suffix = "." + column.name;
    attribute = "\"" + column.name + "\"";
  } else if (arguments.given("levels")) {
    arguments.fail("levels", "it chooses levels of attr=");
  }
  const std::string stem = mode.prefix() + "sociality";
  std::vector<std::string> names;
  for (int k : kept) names.push_back(stem + numbers[std::size_t(k)] + suffix);
  std::string text = stem;
  if (!call.arguments.empty()) {
    std::string options = arguments.written_options({"levels", "nodes"});
    if (attribute.empty() && !options.empty()) options = options.substr(2);
    text += "(" + attribute + options + ")";
  }
  return node_link_counts(std::move(text), std::move(names), index, std::move(codes), 2);
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

constexpr std::array<TermEntry, 18> entries = {{
    {"b1star", "k, attr, levels", "two-mode: sum over first-mode nodes of C(degree, k)",
     Networks::both, "", make_star<1>},
    {"b2star", "k, attr, levels", "two-mode: sum over second-mode nodes of C(degree, k)",
     Networks::both, "", make_star<2>},
    {"b1degree", "d, by, levels", "two-mode: first-mode nodes of degree d", Networks::both, "",
     make_degree<1>},
    {"b2degree", "d, by, levels", "two-mode: second-mode nodes of degree d", Networks::both, "",
     make_degree<2>},
    {"b1degrange", "from, to=Inf, by, levels",
     "two-mode: first-mode nodes with from <= degree < to", Networks::both, "", make_degrange<1>},
    {"b2degrange", "from, to=Inf, by, levels",
     "two-mode: second-mode nodes with from <= degree < to", Networks::both, "", make_degrange<2>},
    {"b1concurrent", "by, levels", "two-mode: first-mode nodes of degree 2 or more", Networks::both,
     "", make_concurrent<1>},
    {"b2concurrent", "by, levels", "two-mode: second-mode nodes of degree 2 or more",
     Networks::both, "", make_concurrent<2>},
    {"b1mindegree", "d", "two-mode: first-mode nodes of degree d or more", Networks::both, "",
     make_mindegree<1>},
    {"b2mindegree", "d", "two-mode: second-mode nodes of degree d or more", Networks::both, "",
     make_mindegree<2>},
    {"b1sociality", "attr, levels, nodes=-1",
     "two-mode: the degree of each first-mode node (with attr: its links within its level)",
     Networks::both, "", make_sociality<1>, make_valued_form},
    {"b2sociality", "attr, levels, nodes=-1",
     "two-mode: the degree of each second-mode node (with attr: its links within its level)",
     Networks::both, "", make_sociality<2>, make_valued_form},
    {"gwb1degree", "decay, fixed=FALSE, attr, cutoff=30, levels",
     "two-mode: e^decay * sum over first-mode nodes of 1 - (1 - e^-decay)^degree", Networks::both,
     "", make_gwdegree<1>},
    {"gwb2degree", "decay, fixed=FALSE, attr, cutoff=30, levels",
     "two-mode: e^decay * sum over second-mode nodes of 1 - (1 - e^-decay)^degree", Networks::both,
     "", make_gwdegree<2>},
    {"b1cov", "attr", "two-mode: the first-mode end's value, summed over links", Networks::both, "",
     make_cov<1>, make_valued_form},
    {"b2cov", "attr", "two-mode: the second-mode end's value, summed over links", Networks::both,
     "", make_cov<2>, make_valued_form},
    {"b1factor", "attr, base=1, levels=-1",
     "two-mode: links at first-mode nodes of each level (the first left out)", Networks::both, "",
     make_factor<1>, make_valued_form},
    {"b2factor", "attr, base=1, levels=-1",
     "two-mode: links at second-mode nodes of each level (the first left out)", Networks::both, "",
     make_factor<2>, make_valued_form},
}};

}  // namespace

std::span<const TermEntry> bipartite_term_entries() {
  return entries;
}

}  // namespace tarn
