// Terms of the degree distribution, with ergm's names and definitions: sums over the nodes of a
// function of each node's degree (in-degree, out-degree, undirected degree). With by=attr a
// statistic counts the nodes of one level; with homophily=TRUE (or a star's attr) a node's
// degree counts its neighbours of its own level only.
//   degree(d), idegree(d), odegree(d)      nodes of degree d: degree2; by: deg2.Sexm (d varying
//                                          fastest); homophily: deg2.homophily.Sex
//   degrange(from, to=Inf), idegrange, odegrange   nodes with from <= degree < to: deg1to3,
//                                          deg5+ (to past n); by and homophily as for degree
//   degree1.5, idegree1.5, odegree1.5      sum of degree^(3/2)
//   concurrent(by)                         nodes of degree 2 or more: concurrent.Sexm
//   concurrentties(by)                     sum of max(degree - 1, 0)
//   istar(k), ostar(k), kstar(k)           sum of C(degree, k); attr: of the star whose nodes are
//                                          all of one level, istar2.group
//   altkstar(lambda, fixed=TRUE)           sum of lambda degree - lambda^2 (1 - (1 -
//   1/lambda)^degree) isolates                               nodes of degree 0 (directed: in and
//   out) isolatededges                          edges both of whose ends have degree 1
// A level left out by levels= counts in no statistic; for homophily and stars ergm puts all such
// nodes in one group, whose members count each other, and so do these terms.

#include "terms/degree_terms.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"

namespace tarn {

double choose(int n, int k) {
  if (k < 0 || n < k) return 0.0;
  double value = 1.0;
  for (int t = 1; t <= k; ++t) value = value * (n - k + t) / t;
  return value;
}

std::string number_list(const std::vector<int>& values) {
  if (values.size() == 1) return std::to_string(values.front());
  std::string text = "c(";
  for (std::size_t k = 0; k < values.size(); ++k) {
    text += (k == 0 ? "" : ", ") + std::to_string(values[k]);
  }
  return text + ")";
}

DegreeRanges degree_ranges(const TermArguments& arguments, int node_count,
                           const std::string& prefix) {
  DegreeRanges r;
  r.from = arguments.whole_numbers("from", 0);
  if (const ArgumentValue* value = arguments.find("to");
      value != nullptr && !(value->kind == ArgumentValue::Kind::word && value->text == "Inf")) {
    r.to = arguments.whole_numbers("to", 1);
  }
  if (r.to.empty()) r.to.push_back(-1);  // Inf
  if (r.to.size() == 1 && r.from.size() > 1) r.to.assign(r.from.size(), r.to.front());
  if (r.from.size() == 1 && r.to.size() > 1) r.from.assign(r.to.size(), r.from.front());
  if (r.from.size() != r.to.size()) arguments.fail("to", "give as many values as from=, or one");
  for (std::size_t b = 0; b < r.from.size(); ++b) {
    if (r.to[b] < 0) r.to[b] = std::max(r.from[b], node_count) + 1;
    if (r.from[b] >= r.to[b]) arguments.fail("to", "give to= greater than from=");
    r.names.push_back(prefix + "deg" + std::to_string(r.from[b]) +
                      (r.to[b] >= node_count + 1 ? "+" : "to" + std::to_string(r.to[b])));
  }
  r.text = prefix + "degrange(" + number_list(r.from);
  if (arguments.given("to")) r.text += ", to=" + arguments.find("to")->written;
  return r;
}

namespace {

class DegreeSum final : public Term {
 public:
  // Adds weight * f_s(node, degree) into out[s] for every statistic s.
  using Function = std::function<void(int node, int degree, double weight, double* out)>;
  // `homophily`: every node's code (node i at i - 1), a neighbour counting in a node's degree
  // only when their codes are equal; empty: every neighbour counts.
  DegreeSum(std::string text, std::vector<std::string> names, DegreeOf side,
            std::vector<int> homophily, Function f)
      : Term(std::move(text), std::move(names)),
        side_(side),
        homophily_(std::move(homophily)),
        f_(std::move(f)) {}

  bool dyad_independent() const override { return false; }
  // With homophily a degree counts only some neighbours: no function of the degrees.
  DegreeFunction degree_function() const override {
    if (!homophily_.empty()) return {};
    return {side_ == DegreeOf::out, side_ == DegreeOf::in,
            side_ == DegreeOf::undirected || side_ == DegreeOf::total};
  }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (!homophily_.empty() && code(i) != code(j)) return;
    const int x = g.tie(i, j);
    for_each_end(i, j, [&](int a) { shift(a, degree(g, a) - x, out); });
  }

  // The degrees of every node counted once for the sender's dyads, when a degree is a walk.
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    if (homophily_.empty()) {
      changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
      return;
    }
    const std::vector<int> degrees = all_degrees(g);
    std::vector<double> value(static_cast<std::size_t>(statistic_count()));
    for (int j = g.directed() ? 1 : i + 1; j <= g.node_count(); ++j) {
      if (j == i) continue;
      std::fill(value.begin(), value.end(), 0.0);
      if (code(i) == code(j)) {
        const int x = g.tie(i, j);
        for_each_end(i, j, [&](int a) { shift(a, degrees[std::size_t(a)] - x, value.data()); });
      }
      for (int s = 0; s < statistic_count(); ++s) rows[s][j - 1] = value[std::size_t(s)];
    }
  }

  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    const std::vector<int> degrees = all_degrees(g);
    for (int a = 1; a <= g.node_count(); ++a) f_(a, degrees[std::size_t(a)], 1.0, out);
  }

 private:
  int code(int node) const { return homophily_[static_cast<std::size_t>(node - 1)]; }

  // The change of a's term when its degree rises from d to d + 1.
  void shift(int a, int d, double* out) const {
    f_(a, d + 1, 1.0, out);
    f_(a, d, -1.0, out);
  }

  // The nodes whose degree the dyad (i, j) changes.
  template <class F>
  void for_each_end(int i, int j, F f) const {
    if (side_ != DegreeOf::in) f(i);
    if (side_ != DegreeOf::out) f(j);
  }

  int degree(const TermGraph& g, int a) const {
    if (homophily_.empty()) {
      switch (side_) {
        case DegreeOf::in:
          return g.in(a);
        case DegreeOf::out:
          return g.out(a);
        case DegreeOf::undirected:
          return g.degree(a);
        case DegreeOf::total:
          return g.in(a) + g.out(a);
      }
    }
    int d = 0;
    auto count = [&](int b) { d += code(b) == code(a) ? 1 : 0; };
    if (side_ != DegreeOf::in) g.for_each_receiver(a, count);
    if (side_ == DegreeOf::in || side_ == DegreeOf::total) g.for_each_sender(a, count);
    return d;
  }

  // degrees[a] for a = 1..n (entry 0 unused), by one pass over the links.
  std::vector<int> all_degrees(const TermGraph& g) const {
    std::vector<int> degrees(static_cast<std::size_t>(g.node_count()) + 1, 0);
    for (const auto& [a, b] : g.link_list()) {
      if (!homophily_.empty() && code(a) != code(b)) continue;
      if (side_ != DegreeOf::in) ++degrees[std::size_t(a)];
      if (side_ != DegreeOf::out) ++degrees[std::size_t(b)];
    }
    return degrees;
  }

  DegreeOf side_;
  std::vector<int> homophily_;
  Function f_;
};

// "", "i" or "o": the prefix of ergm's names for the side.
std::string prefix_of(DegreeOf side) {
  return side == DegreeOf::in ? "i" : side == DegreeOf::out ? "o" : "";
}

// The attribute of by= (or attr=) and its kept levels, for by, homophily and stars.
struct ByAttribute {
  std::string name;
  std::vector<std::string> levels;  // kept, in order
  std::vector<int> code;            // 0..kept-1, or kept for a level left out
};

std::optional<ByAttribute> by_attribute(const TermArguments& arguments, const TermContext& context,
                                        std::string_view argument) {
  if (!arguments.given(argument)) {
    if (arguments.given("levels")) {
      arguments.fail("levels", "it chooses levels of " + std::string(argument) + "=");
    }
    return std::nullopt;
  }
  const AttributeColumn& column = attribute_of(arguments, context, argument);
  const Levels levels = levels_of(column, context.node_count);
  const std::vector<int> kept = kept_positions(arguments, "levels", levels.names, false);
  return ByAttribute{column.name, kept_names(levels, kept), kept_codes(levels, kept, false)};
}

// A term of one value per degree bin (degree d, or a range): `bins` names each bin and `in_bin`
// says whether a degree is in it. With by, one statistic per (bin, level), bins varying fastest;
// with homophily, a node's degree counts its own level only.
TermPointer make_binned(const TermArguments& arguments, const TermContext& context, DegreeOf side,
                        const std::string& text, const std::vector<std::string>& bins,
                        std::function<bool(std::size_t bin, int degree)> in_bin) {
  const std::optional<ByAttribute> by = by_attribute(arguments, context, "by");
  const bool homophily = arguments.logical("homophily", false);
  if (homophily && !by) arguments.fail("homophily", "it needs by=");
  const std::size_t count = bins.size();
  std::vector<std::string> names;
  std::vector<int> code_of_node;
  if (by && !homophily) {
    for (const std::string& level : by->levels) {
      for (const std::string& bin : bins) names.push_back(bin + "." + by->name + level);
    }
    code_of_node = by->code;
  } else {
    for (const std::string& bin : bins) {
      names.push_back(homophily ? bin + ".homophily." + by->name : bin);
    }
  }
  const std::size_t levels = by ? by->levels.size() : 0;
  auto f = [count, levels, code_of_node, in_bin](int node, int degree, double weight, double* out) {
    std::size_t first = 0;
    if (!code_of_node.empty()) {
      const auto level = static_cast<std::size_t>(code_of_node[std::size_t(node - 1)]);
      if (level >= levels) return;
      first = level * count;
    }
    for (std::size_t b = 0; b < count; ++b) {
      if (in_bin(b, degree)) out[first + b] += weight;
    }
  };
  return std::make_shared<DegreeSum>(text, std::move(names), side,
                                     homophily ? by->code : std::vector<int>{}, f);
}

std::string degree_options(const TermArguments& arguments) {
  return arguments.written_options({"by", "homophily", "levels"});
}

template <DegreeOf Side>
TermPointer make_degree(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"d", "by", "homophily", "levels"});
  const std::vector<int> ds = arguments.whole_numbers("d", 0);
  const std::string prefix = prefix_of(Side);
  std::vector<std::string> bins;
  const bool plain = !arguments.given("by");
  for (int d : ds) bins.push_back(prefix + (plain ? "degree" : "deg") + std::to_string(d));
  const std::string text = prefix + "degree(" + number_list(ds) + degree_options(arguments) + ")";
  return make_binned(arguments, context, Side, text, bins,
                     [ds](std::size_t b, int degree) { return degree == ds[b]; });
}

template <DegreeOf Side>
TermPointer make_degree_range(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"from", "to", "by", "homophily", "levels"});
  DegreeRanges r = degree_ranges(arguments, context.node_count, prefix_of(Side));
  const std::vector<int> from = r.from, to = r.to;
  std::string text = std::move(r.text);
  std::vector<std::string> bins = std::move(r.names);
  text += degree_options(arguments) + ")";
  return make_binned(arguments, context, Side, text, bins, [from, to](std::size_t b, int degree) {
    return degree >= from[b] && degree < to[b];
  });
}

// Ergm3: under ergm 3's names (idegreepopularity ...), which name their statistics so.
template <DegreeOf Side, bool Ergm3 = false>
TermPointer make_degree_power(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {});
  const std::string name = prefix_of(Side) + (Ergm3 ? "degreepopularity" : "degree1.5");
  return std::make_shared<DegreeSum>(name, std::vector<std::string>{name}, Side, std::vector<int>{},
                                     [](int, int degree, double weight, double* out) {
                                       out[0] +=
                                           weight * degree * std::sqrt(static_cast<double>(degree));
                                     });
}

// concurrent (ties = false) and concurrentties (ties = true), by level with by=.
template <bool Ties>
TermPointer make_concurrent(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"by", "levels"});
  const std::string stem = Ties ? "concurrentties" : "concurrent";
  const std::optional<ByAttribute> by = by_attribute(arguments, context, "by");
  auto value = [](int degree) { return Ties ? std::max(degree - 1, 0) : degree >= 2 ? 1 : 0; };
  if (!by) {
    return std::make_shared<DegreeSum>(
        stem, std::vector<std::string>{stem}, DegreeOf::undirected, std::vector<int>{},
        [value](int, int degree, double weight, double* out) { out[0] += weight * value(degree); });
  }
  std::vector<std::string> names;
  for (const std::string& level : by->levels) names.push_back(stem + "." + by->name + level);
  const std::vector<int> code = by->code;
  const int levels = static_cast<int>(by->levels.size());
  return std::make_shared<DegreeSum>(
      stem + "(by=\"" + by->name + "\"" + arguments.written_options({"levels"}) + ")",
      std::move(names), DegreeOf::undirected, std::vector<int>{},
      [value, code, levels](int node, int degree, double weight, double* out) {
        if (const int s = code[std::size_t(node - 1)]; s < levels) out[s] += weight * value(degree);
      });
}

template <DegreeOf Side>
TermPointer make_stars(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"k", "attr", "levels"});
  const std::vector<int> ks = arguments.whole_numbers("k", 1);
  const std::string stem = Side == DegreeOf::in    ? "istar"
                           : Side == DegreeOf::out ? "ostar"
                                                   : "kstar";
  const std::optional<ByAttribute> attr = by_attribute(arguments, context, "attr");
  std::vector<std::string> names;
  for (int k : ks) names.push_back(stem + std::to_string(k) + (attr ? "." + attr->name : ""));
  std::string text = stem + "(" + number_list(ks);
  if (attr) text += ", \"" + attr->name + "\"" + arguments.written_options({"levels"});
  return std::make_shared<DegreeSum>(text + ")", std::move(names), Side,
                                     attr ? attr->code : std::vector<int>{},
                                     [ks](int, int degree, double weight, double* out) {
                                       for (std::size_t s = 0; s < ks.size(); ++s)
                                         out[s] += weight * choose(degree, ks[s]);
                                     });
}

TermPointer make_altkstar(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {"lambda", "fixed"});
  if (!arguments.logical("fixed", false)) {
    arguments.fail("fixed",
                   "altkstar with its lambda estimated (a curved term) is not offered; "
                   "give fixed=TRUE, or use gwdegree, its equivalent");
  }
  const double lambda = arguments.number("lambda");
  if (!(lambda > 0.0) || !std::isfinite(lambda)) arguments.fail("lambda", "give a positive number");
  const std::string name = "altkstar." + r_number_text(lambda);
  const double q = 1.0 - 1.0 / lambda;
  return std::make_shared<DegreeSum>(
      "altkstar(" + r_number_text(lambda) + ", fixed=TRUE)", std::vector<std::string>{name},
      DegreeOf::undirected, std::vector<int>{},
      [lambda, q](int, int degree, double weight, double* out) {
        out[0] += weight * (lambda * degree - lambda * lambda * (1.0 - std::pow(q, degree)));
      });
}

// Edges whose two ends have degree 1: a new edge is one when both ends had none, and ends the
// isolation of the edge of an end that had one (when that edge's other end has degree 1).
class IsolatedEdges final : public Term {
 public:
  IsolatedEdges() : Term("isolatededges", {"isolatededges"}) {}
  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int x = g.tie(i, j);
    const int di = g.degree(i) - x, dj = g.degree(j) - x;
    double change = di == 0 && dj == 0 ? 1.0 : 0.0;
    for (const std::pair<int, int>& ends : {std::pair{i, j}, std::pair{j, i}}) {
      const int a = ends.first, other = ends.second;  // clang 14 captures no structured binding
      if ((a == i ? di : dj) != 1) continue;
      g.for_each_receiver(a, [&](int k) {
        if (k != other && g.degree(k) == 1) change -= 1.0;
      });
    }
    out[0] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double count = 0.0;
    for (const auto& [a, b] : g.link_list()) count += g.degree(a) == 1 && g.degree(b) == 1;
    out[0] = count;
  }
};

TermPointer make_isolated_edges(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {});
  return std::make_shared<IsolatedEdges>();
}

TermPointer make_isolates(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {});
  return make_isolates_term(context);
}

constexpr std::array<TermEntry, 20> entries = {{
    {"istar", "k, attr, levels", "in-k-stars: sum over nodes of C(indegree, k); istar(2) = in2star",
     Networks::directed, "kstar", make_stars<DegreeOf::in>},
    {"ostar", "k, attr, levels",
     "out-k-stars: sum over nodes of C(outdegree, k); ostar(2) = out2star", Networks::directed,
     "kstar", make_stars<DegreeOf::out>},
    {"kstar", "k, attr, levels", "k-stars: sum over nodes of C(degree, k)", Networks::undirected,
     "istar or ostar", make_stars<DegreeOf::undirected>},
    {"idegree", "d, by, homophily=FALSE, levels", "nodes of indegree d", Networks::directed,
     "degree", make_degree<DegreeOf::in>},
    {"odegree", "d, by, homophily=FALSE, levels", "nodes of outdegree d", Networks::directed,
     "degree", make_degree<DegreeOf::out>},
    {"degree", "d, by, homophily=FALSE, levels", "nodes of degree d", Networks::undirected,
     "idegree or odegree", make_degree<DegreeOf::undirected>},
    {"idegrange", "from, to=Inf, by, homophily=FALSE, levels", "nodes with from <= indegree < to",
     Networks::directed, "degrange", make_degree_range<DegreeOf::in>},
    {"odegrange", "from, to=Inf, by, homophily=FALSE, levels", "nodes with from <= outdegree < to",
     Networks::directed, "degrange", make_degree_range<DegreeOf::out>},
    {"degrange", "from, to=Inf, by, homophily=FALSE, levels", "nodes with from <= degree < to",
     Networks::undirected, "idegrange or odegrange", make_degree_range<DegreeOf::undirected>},
    {"idegree1.5", "", "sum over nodes of indegree^(3/2)", Networks::directed, "degree1.5",
     make_degree_power<DegreeOf::in>},
    {"odegree1.5", "", "sum over nodes of outdegree^(3/2)", Networks::directed, "degree1.5",
     make_degree_power<DegreeOf::out>},
    {"degree1.5", "", "sum over nodes of degree^(3/2)", Networks::undirected,
     "idegree1.5 or odegree1.5", make_degree_power<DegreeOf::undirected>},
    {"concurrent", "by, levels", "nodes of degree 2 or more", Networks::undirected, "",
     make_concurrent<false>},
    {"concurrentties", "by, levels", "sum over nodes of max(degree - 1, 0)", Networks::undirected,
     "", make_concurrent<true>},
    {"altkstar", "lambda, fixed=TRUE",
     "alternating k-stars: sum over nodes of lambda degree - lambda^2 (1 - (1 - 1/lambda)^degree)",
     Networks::undirected, "gwidegree or gwodegree", make_altkstar},
    {"isolatededges", "", "edges both of whose ends have degree 1", Networks::undirected, "",
     make_isolated_edges},
    {"idegreepopularity", "", "ergm 3's name of idegree1.5", Networks::directed, "degree1.5",
     make_degree_power<DegreeOf::in, true>},
    {"odegreepopularity", "", "ergm 3's name of odegree1.5", Networks::directed, "degree1.5",
     make_degree_power<DegreeOf::out, true>},
    {"degreepopularity", "", "ergm 3's name of degree1.5", Networks::undirected,
     "idegree1.5 or odegree1.5", make_degree_power<DegreeOf::undirected, true>},
    {"isolates", "", "nodes without links", Networks::both, "", make_isolates},
}};

}  // namespace

TermPointer make_isolates_term(const TermContext& context) {
  return std::make_shared<DegreeSum>(
      "isolates", std::vector<std::string>{"isolates"},
      context.directed ? DegreeOf::total : DegreeOf::undirected, std::vector<int>{},
      [](int, int degree, double weight, double* out) { out[0] += degree == 0 ? weight : 0.0; });
}

TermPointer make_degree_weights_by_attribute(const TermArguments& arguments,
                                             const TermContext& context, DegreeOf side,
                                             double decay) {
  const std::optional<ByAttribute> attr = by_attribute(arguments, context, "attr");
  const std::string decay_text = r_number_text(decay);
  const std::string prefix = prefix_of(side);
  std::vector<std::string> names;
  for (const std::string& level : attr->levels) {
    names.push_back("gw" + prefix + "deg" + decay_text + "." + attr->name + level);
  }
  const double scale = std::exp(decay), r = -std::expm1(-decay);
  const std::vector<int> code = attr->code;
  const int levels = static_cast<int>(attr->levels.size());
  return std::make_shared<DegreeSum>(
      "gw" + prefix + "degree(" + decay_text + ", fixed=TRUE, attr=\"" + attr->name + "\"" +
          arguments.written_options({"levels"}) + ")",
      std::move(names), side, std::vector<int>{},
      [scale, r, code, levels](int node, int degree, double weight, double* out) {
        if (const int s = code[std::size_t(node - 1)]; s < levels) {
          out[s] += weight * scale * (1.0 - std::pow(r, degree));
        }
      });
}

std::span<const TermEntry> degree_term_entries() {
  return entries;
}

}  // namespace tarn
