// The sampler's change statistics, computed for one toggle from the neighbours of its two nodes,
// equal the fit's statistics table for every dyad, after any sequence of toggles: every type,
// block parameters and the covariate. And a network's statistics are the sums of its changes.
#include "simulate/model_changes.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "simulate/sample_graph.h"
#include "stats/sender_statistics.h"
#include "support/models.h"
#include "support/networks.h"

namespace tarn {
namespace {

ModelEntry term(int t, std::vector<int> blocks = {}) {
  return {static_cast<ConfigurationType>(t), std::move(blocks)};
}

TEST(ModelChanges, EqualTheFitsStatisticsAfterRandomToggles) {
  const int n = 13;
  ModelDescription description;
  for (int t = 1; t <= 16; ++t) description.push_back(term(t));
  description.push_back(term(1, {1, 2}));
  description.push_back(term(2, {1, 2}));
  description.push_back(term(6, {2}));
  description.push_back(term(14, {1, 2}));
  const Model model = build_model(description, 2);
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
  const ModelChanges changes(model, &blocks, &covariate, n);

  SampleGraph graph(n);
  graph.toggle(n, 1);  // node n is a node of the network
  std::vector<double> delta(model.parameters.size());
  for (int round = 0; round < 12; ++round) {
    for (int k = 0; k < 25; ++k) {
      const int i = 1 + int(random() % n), j = 1 + int(random() % n);
      if (i != j && !(i == n && j == 1)) graph.toggle(i, j);
    }
    const Network network = graph.to_network();
    SenderStatistics statistics({&network, &model, &blocks, &covariate});
    for (int i = 1; i <= n; ++i) {
      statistics.compute(i);
      for (int j = 1; j <= n; ++j) {
        if (j == i) continue;
        changes.changes(graph, i, j, delta.data());
        for (std::size_t p = 0; p < model.parameters.size(); ++p) {
          ASSERT_EQ(delta[p], statistics.column(model.parameters[p].column)[j - 1])
              << "round " << round << " parameter " << p + 1 << " dyad " << i << "->" << j;
        }
      }
    }
    // The statistics of the network: the changes summed as its links are added one by one.
    const std::vector<double> sums = changes.statistics_of(network);
    SampleGraph rebuilt(n);
    std::vector<double> total(model.parameters.size(), 0.0);
    for (const auto& [a, b] : graph.link_list()) {
      changes.changes(rebuilt, a, b, delta.data());
      for (std::size_t p = 0; p < total.size(); ++p) total[p] += delta[p];
      rebuilt.toggle(a, b);
    }
    EXPECT_EQ(sums, total) << "round " << round;  // in any order of the links
  }
}

TEST(ModelChanges, StatisticsOfSmallNetworksAreTheirConfigurationCounts) {
  // Links 1->2, 2->1, 1->3, 3->2: edges 4, mutual 1, out-2-stars 1 (1->2, 1->3), in-2-stars 1
  // (1->2, 3->2), two-paths 3 (2->1->3, 3->2->1, 1->3->2), transitive triads 1 (1->3->2, 1->2),
  // cyclic triads 1 (1->3->2->1).
  const Network network = test::network_of({{1, 2}, {1, 3}, {2, 1}, {3, 2}});
  const Model model = test::model_of({1, 2, 3, 4, 5, 6, 7});
  const ModelChanges changes(model, nullptr, nullptr, 3);
  EXPECT_EQ(changes.statistics_of(network), (std::vector<double>{4, 1, 1, 1, 3, 1, 1}));
}

TEST(ModelChanges, RefusesACovariateOfAnotherNetwork) {
  const Model model = test::model_of({1, 16});
  const ComparativeNetwork covariate = test::comparative_of(4, {{1, 2, 1}});
  EXPECT_THROW(ModelChanges(model, nullptr, &covariate, 5), std::invalid_argument);
}

}  // namespace
}  // namespace tarn
