// Which models have a network distribution: every statistic must be the change of one count of
// the network, so the mixed differences must agree: toggling dyad b changes the statistic of dyad
// a by as much as toggling a changes that of b, and a dyad's statistic does not depend on the
// dyad itself. Checked on random small networks with the terms' own change statistics.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/blocking.h"
#include "model/model.h"
#include "support/models.h"
#include "support/networks.h"
#include "terms/term_graph.h"

namespace tarn {
namespace {

struct Dyad {
  int i, j;
};

// The first statistic (and dyads) whose mixed differences disagree on the graph, or -1.
struct Disagreement {
  int parameter = -1;
  Dyad a{}, b{};
};

// Sets the dyad to `present`.
void set(TermGraph& g, const Dyad& d, bool present) {
  if (g.has_link(d.i, d.j) != present) g.toggle(d.i, d.j);
}

Disagreement mixed_differences(TermGraph g, const Model& model, bool diagonal) {
  const int n = g.node_count();
  const int m = model.parameter_count();
  std::vector<Dyad> dyads;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j || diagonal) dyads.push_back({i, j});
  const auto size = static_cast<std::size_t>(m);
  std::vector<double> x0(size), x1(size), y0(size), y1(size);
  // x[p] = the statistics of dyad a with dyad b set to `present`.
  auto statistics = [&](const Dyad& a, const Dyad& b, bool present, std::vector<double>& x) {
    const bool kept = g.has_link(b.i, b.j);
    set(g, b, present);
    model.add_changes(g, a.i, a.j, x.data());
    set(g, b, kept);
  };
  for (const Dyad& a : dyads) {
    statistics(a, a, false, x0);
    statistics(a, a, true, x1);
    for (int p = 0; p < m; ++p)
      if (x0[std::size_t(p)] != x1[std::size_t(p)]) return {p, a, a};
  }
  for (const Dyad& a : dyads) {
    for (const Dyad& b : dyads) {
      if (a.i == b.i && a.j == b.j) continue;
      statistics(a, b, false, x0);
      statistics(a, b, true, x1);
      statistics(b, a, false, y0);
      statistics(b, a, true, y1);
      for (int p = 0; p < m; ++p) {
        const auto k = static_cast<std::size_t>(p);
        if (x1[k] - x0[k] != y1[k] - y0[k]) return {p, a, b};
      }
    }
  }
  return {};
}

TermGraph random_graph(int n, double density, unsigned seed, bool self_links) {
  std::mt19937 random(seed);
  TermGraph g(n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if ((i != j || self_links) && double(random()) / 4294967296.0 < density) g.toggle(i, j);
  return g;
}

// A model on random networks of five and six nodes: its blocks (two blocks, the structure given),
// a covariate with values -2..2, and the graphs it is checked on.
struct Case {
  std::string what;
  ModelDescription description;
  std::vector<std::vector<int>> structure = {};  // empty: no blocking
  bool diagonal = false, self_links = false;
};

Blocking blocking_of(const Case& c) {
  Blocking b;
  if (c.structure.empty()) return b;
  b.attribute = 1;
  b.block_count = 2;
  for (int r = 1; r <= 2; ++r)
    for (int col = 1; col <= 2; ++col)
      b.structure(r, col) = std::int16_t(c.structure[std::size_t(r - 1)][std::size_t(col - 1)]);
  b.count_block_types();
  return b;
}

// The first network (of a few seeds) on which the model's mixed differences disagree.
bool disagree_somewhere(const Case& c) {
  const Blocking blocking = blocking_of(c);
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const int n = 5 + int(seed % 2);
    NodeAttributes attributes;
    std::mt19937 random(seed * 31);
    for (int i = 0; i < n; ++i)
      attributes.value[0][std::size_t(i)] = std::int16_t(1 + random() % 2);
    const DyadBlocks blocks = dyad_blocks(blocking, attributes, n);
    std::vector<std::array<int, 3>> records;
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) records.push_back({i, j, int(random() % 5) - 2});
    const ComparativeNetwork covariate = test::comparative_of(n, records);
    TermContext context;
    context.node_count = n;
    context.blocks = std::make_shared<const DyadBlocks>(blocks);
    context.comparative = std::make_shared<const DyadValues>(DyadValues::of(covariate));
    const Model model = build_model(c.description, blocking.block_type_count, context);
    const TermGraph g = random_graph(n, 0.45, seed, c.self_links || c.diagonal);
    if (mixed_differences(g, model, c.diagonal).parameter >= 0) return true;
  }
  return false;
}

bool rule_accepts(const Case& c) {
  const Blocking blocking = blocking_of(c);
  TermContext context;
  context.blocks = std::make_shared<const DyadBlocks>();
  context.comparative = std::make_shared<const DyadValues>();
  const Model model = build_model(c.description, blocking.block_type_count, context);
  DyadSpace space;
  space.include_diagonal = c.diagonal;
  space.fixed_self_links = c.self_links;
  space.symmetric_blocks = blocking.symmetric();
  return model.distribution_problem(space).empty();
}

ModelEntry term(int t, std::vector<int> blocks = {}) {
  return {static_cast<ConfigurationType>(t), std::move(blocks)};
}

const std::vector<std::vector<int>> asymmetric = {{1, 2}, {3, 1}}, symmetric = {{1, 2}, {2, 3}};

TEST(NetworkDistribution, AcceptedModelsHaveAgreeingMixedDifferences) {
  std::vector<Case> cases;
  for (int t = 1; t <= 16; ++t) cases.push_back({"type " + std::to_string(t), {term(t)}});
  for (int t : {1, 3, 4, 5, 15, 16})
    cases.push_back({"diagonal, type " + std::to_string(t), {term(t)}, {}, true});
  for (int t : {1, 2, 3, 4, 5, 7, 8, 9, 10, 15, 16})
    cases.push_back({"fixed self-links, type " + std::to_string(t), {term(t)}, {}, false, true});
  cases.push_back({"block edges, asymmetric structure", {term(2), term(1, {1, 2, 3})}, asymmetric});
  cases.push_back({"block mutual, symmetric structure", {term(1), term(2, {1, 2, 3})}, symmetric});
  for (const Case& c : cases) {
    EXPECT_TRUE(rule_accepts(c)) << c.what;
    EXPECT_FALSE(disagree_somewhere(c)) << c.what;
  }
}

TEST(NetworkDistribution, RefusedModelsHaveACounterexample) {
  std::vector<Case> cases;
  for (int t : {2, 6, 7, 8, 9, 10, 11, 12, 13, 14})
    cases.push_back({"diagonal, type " + std::to_string(t), {term(t)}, {}, true});
  for (int t : {6, 11, 12, 13, 14})
    cases.push_back({"fixed self-links, type " + std::to_string(t), {term(t)}, {}, false, true});
  cases.push_back({"block mutual, asymmetric structure", {term(2, {1, 2, 3})}, asymmetric});
  for (int t = 3; t <= 15; ++t)
    cases.push_back({"block type " + std::to_string(t), {term(t, {1, 2, 3})}, symmetric});
  for (const Case& c : cases) {
    EXPECT_FALSE(rule_accepts(c)) << c.what;
    EXPECT_TRUE(disagree_somewhere(c)) << c.what;
  }
}

}  // namespace
}  // namespace tarn
