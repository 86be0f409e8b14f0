// The terms of the sixteen types, their change statistics computed for one toggle from the
// neighbours of its two nodes, equal the fused kernel's statistics table for every dyad, after any
// sequence of toggles: every type, block parameters and the covariate. And a network's statistics
// are the sums of its changes.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "model/blocking.h"
#include "model/model.h"
#include "kernel/sender_statistics.h"
#include "support/models.h"
#include "support/networks.h"
#include "terms/term_graph.h"

namespace tarn {
namespace {

ModelEntry term(int t, std::vector<int> blocks = {}) {
  return {static_cast<ConfigurationType>(t), std::move(blocks)};
}

TEST(KernelAgainstTerms, EqualAfterRandomToggles) {
  const int n = 13;
  ModelDescription description;
  for (int t = 1; t <= 16; ++t) description.push_back(term(t));
  description.push_back(term(1, {1, 2}));
  description.push_back(term(2, {1, 2}));
  description.push_back(term(6, {2}));
  description.push_back(term(14, {1, 2}));
  NodeAttributes attributes;
  for (int i = 1; i <= n; ++i)
    attributes.value[0][std::size_t(i - 1)] = std::int16_t(i % 4 == 0 ? 0 : 1 + i % 2);
  Blocking blocking = Blocking::identity(1, 2);
  blocking.structure(1, 2) = 2;
  blocking.count_block_types();
  const DyadBlocks blocks = dyad_blocks(blocking, attributes, n);
  std::mt19937 random(5);
  std::vector<std::array<int, 3>> records;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (random() % 3 == 0) records.push_back({i, j, int(random() % 7) - 3});
  const ComparativeNetwork covariate = test::comparative_of(n, records);
  TermContext context;
  context.node_count = n;
  context.blocks = std::make_shared<const DyadBlocks>(blocks);
  context.comparative = std::make_shared<const DyadValues>(DyadValues::of(covariate));
  const Model model = build_model(description, 2, context);
  const KernelLayout& layout = *model.kernel;

  TermGraph graph(n);
  graph.toggle(n, 1);  // node n is a node of the network
  const auto m = static_cast<std::size_t>(model.parameter_count());
  std::vector<double> delta(m);
  for (int round = 0; round < 12; ++round) {
    for (int k = 0; k < 25; ++k) {
      const int i = 1 + int(random() % n), j = 1 + int(random() % n);
      if (i != j && !(i == n && j == 1)) graph.toggle(i, j);
    }
    const Network network = graph.to_network();
    SenderStatistics statistics({&network, &layout, &blocks, &covariate});
    for (int i = 1; i <= n; ++i) {
      statistics.compute(i);
      for (int j = 1; j <= n; ++j) {
        if (j == i) continue;
        model.add_changes(graph, i, j, delta.data());
        for (std::size_t p = 0; p < m; ++p) {
          ASSERT_EQ(delta[p], statistics.column(layout.parameters[p].column)[j - 1])
              << "round " << round << " parameter " << p + 1 << " dyad " << i << "->" << j;
        }
      }
    }
    // The statistics of the network: the changes summed as its links are added one by one, in
    // any order for a statistic with a network distribution (the structure is asymmetric, so
    // among the block parameters only those of edges have one).
    const std::vector<double> sums = model.network_statistics(graph);
    DyadSpace space;
    space.symmetric_blocks = false;
    TermGraph rebuilt(n);
    std::vector<double> total(m, 0.0);
    std::vector<std::pair<int, int>> links = graph.link_list();
    std::reverse(links.begin(), links.end());
    for (const auto& [a, b] : links) {
      model.add_changes(rebuilt, a, b, delta.data());
      for (std::size_t p = 0; p < total.size(); ++p) total[p] += delta[p];
      rebuilt.toggle(a, b);
    }
    for (std::size_t p = 0; p < m; ++p) {
      if (!model.terms[p]->distribution_problem(space).empty()) continue;
      EXPECT_EQ(sums[p], total[p]) << "round " << round << " parameter " << p + 1;
    }
  }
}

TEST(KernelAgainstTerms, StatisticsOfSmallNetworksAreTheirConfigurationCounts) {
  // Links 1->2, 2->1, 1->3, 3->2: edges 4, mutual 1, out-2-stars 1 (1->2, 1->3), in-2-stars 1
  // (1->2, 3->2), two-paths 3 (2->1->3, 3->2->1, 1->3->2), transitive triads 1 (1->3->2, 1->2),
  // cyclic triads 1 (1->3->2->1).
  const Network network = test::network_of({{1, 2}, {1, 3}, {2, 1}, {3, 2}});
  const Model model = test::study_of(network, test::model_of({1, 2, 3, 4, 5, 6, 7})).model;
  EXPECT_EQ(model.network_statistics(TermGraph(network)),
            (std::vector<double>{4, 1, 1, 1, 3, 1, 1}));
}

}  // namespace
}  // namespace tarn
