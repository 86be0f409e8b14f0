// Triads of nodes of one value of an attribute, as ergm counts them with attr=:
//   triangle(attr)  undirected: triangles; directed: ttriple + ctriple
//   ttriple(attr)   transitive triples i->j, j->k, i->k
//   ctriple(attr)   cyclic triples i->j->k->i
// With diff=TRUE one statistic per kept level; without, one over all. Nodes of the levels that
// levels= leaves out are one group, as ergm recodes them (with diff=TRUE they count nowhere).

#include "terms/triangles_by_attribute.h"

#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/term_arguments.h"

namespace tarn {

namespace {

class TrianglesByAttribute final : public Term {
 public:
  // code: every node's group (node i at i - 1); statistic: the statistic of each group, or -1.
  TrianglesByAttribute(std::string text, std::vector<std::string> names, TriangleKind kind,
                       std::vector<int> code, std::vector<int> statistic)
      : Term(std::move(text), std::move(names)),
        kind_(kind),
        code_(std::move(code)),
        statistic_(std::move(statistic)) {}

  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }

  // The triads the link i->j is in, whose third node k is of i's and j's group.
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
    const int group = code(i);
    if (group != code(j)) return;
    const int s = statistic_[static_cast<std::size_t>(group)];
    if (s < 0) return;
    int change = 0;
    auto of_group = [&](int k) { return k != i && k != j && code(k) == group; };
    if (!g.directed()) {
      g.for_each_receiver(j, [&](int k) { change += of_group(k) && g.has_link(k, i) ? 1 : 0; });
    } else if (kind_ == TriangleKind::cyclic) {
      g.for_each_receiver(j, [&](int k) { change += of_group(k) ? g.tie(k, i) : 0; });
    } else if (kind_ == TriangleKind::transitive) {
      // i->j as the shortcut of i->k->j, the first link of i->j->k (with i->k), the second of
      // k->i->j (with k->j).
      g.for_each_receiver(i, [&](int k) {
        if (of_group(k)) change += g.tie(k, j) + g.tie(j, k);
      });
      g.for_each_sender(i, [&](int k) { change += of_group(k) ? g.tie(k, j) : 0; });
    } else {
      auto joined = [&g](int a, int k) { return g.tie(a, k) + g.tie(k, a); };
      g.for_each_receiver(j, [&](int k) { change += of_group(k) ? joined(i, k) : 0; });
      g.for_each_sender(j, [&](int k) { change += of_group(k) ? joined(i, k) : 0; });
    }
    out[s] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // Every triad holds three links, each of which counts it once.
  void network_statistics(const TermGraph& g, double* out) const override {
    const int m = statistic_count();
    std::vector<double> sum(static_cast<std::size_t>(m), 0.0), change(sum.size());
    for (const auto& [a, b] : g.link_list()) {
      add_change(g, a, b, change.data());
      for (std::size_t s = 0; s < sum.size(); ++s) sum[s] += change[s];
    }
    for (int s = 0; s < m; ++s) out[s] = sum[static_cast<std::size_t>(s)] / 3.0;
  }

 private:
  int code(int node) const { return code_[static_cast<std::size_t>(node - 1)]; }

  TriangleKind kind_;
  std::vector<int> code_;
  std::vector<int> statistic_;
};

}  // namespace

TermPointer make_transitive_triples(int node_count) {
  return std::make_shared<TrianglesByAttribute>(
      "transitive", std::vector<std::string>{"transitive"}, TriangleKind::transitive,
      std::vector<int>(static_cast<std::size_t>(node_count), 0), std::vector<int>{0});
}

TermPointer make_triangles_by_attribute(const TermCall& call, const TermContext& context,
                                        TriangleKind kind) {
  const std::string stem = kind == TriangleKind::triangle     ? "triangle"
                           : kind == TriangleKind::transitive ? "ttriple"
                                                              : "ctriple";
  const TermArguments arguments(call, {"attr", "diff", "levels"});
  const bool diff = arguments.logical("diff", false);
  if (!arguments.given("attr")) {
    if (diff) arguments.fail("diff", "it goes with attr=");
    if (arguments.given("levels")) arguments.fail("levels", "it goes with attr=");
    // The plain term, made by its own entry.
    return make_term(parse_term(stem), context);
  }
  const AttributeColumn& column = attribute_of(arguments, context);
  const Levels levels = levels_of(column, context.node_count);
  const std::vector<int> kept = kept_positions(arguments, "levels", levels.names, false);
  if (kept.empty()) arguments.fail("levels", "it keeps no level");
  const std::vector<int> code = kept_codes(levels, kept, false);
  std::vector<std::string> names;
  std::vector<int> statistic(kept.size() + 1, diff ? -1 : 0);
  if (diff) {
    const std::vector<std::string> kept_level_names = kept_names(levels, kept);
    for (std::size_t k = 0; k < kept.size(); ++k) {
      statistic[k] = static_cast<int>(k);
      names.push_back(stem + "." + column.name + "." + kept_level_names[k]);
    }
  } else {
    names.push_back(stem + "." + column.name);
  }
  const std::string text =
      stem + "(\"" + column.name + "\"" + arguments.written_options({"diff", "levels"}) + ")";
  return std::make_shared<TrianglesByAttribute>(text, std::move(names), kind, code,
                                                std::move(statistic));
}

}  // namespace tarn
