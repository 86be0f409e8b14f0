// The change statistics: the definitions against enumerated configuration counts, and the fast
// kernel against the definitions, dyad by dyad, on networks with repeated links and self-links.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "kernel/link_store_graph.h"
#include "kernel/sender_statistics.h"
#include "support/brute_force.h"
#include "support/models.h"
#include "support/networks.h"
#include "terms/change_statistics.h"

namespace tarn {
namespace {

using test::layout_of;
using test::LinkList;
using test::network_of;
using Grid = std::vector<std::vector<int>>;

// The statistics of one model on one network, with the blocks and comparative network it needs.
struct Rows {
  Rows(const LinkList& links, KernelLayout m) : network(network_of(links)), model(std::move(m)) {}
  void start() {
    StatisticsSource source{&network, &model, blocks ? &*blocks : nullptr,
                            comparative ? &*comparative : nullptr};
    statistics = std::make_unique<SenderStatistics>(source);
  }
  int stat(int j, int column) const { return statistics->column(column)[j - 1]; }
  int tie(int j) const { return statistics->tie_row()[j - 1]; }

  Network network;
  KernelLayout model;
  std::optional<DyadBlocks> blocks;
  std::optional<ComparativeNetwork> comparative;
  std::unique_ptr<SenderStatistics> statistics;
};

const std::vector<int> all_types = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

TEST(Kernel, WorkedFourNodeExampleSenderOne) {
  Rows t({{1, 2}, {1, 4}, {2, 1}, {2, 3}, {3, 1}, {4, 3}}, layout_of(all_types));
  t.start();
  t.statistics->compute(1);
  // Columns: tie row, mutual row, then types 2..15.
  const int expected[4][16] = {
      {0, 0, 0, 2, 2, 4, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0},
      {1, 1, 1, 1, 0, 2, 0, 1, 2, 1, 0, 0, 0, 1, 0, 0},
      {0, 0, 1, 2, 2, 1, 3, 0, 3, 3, 1, 1, 1, 2, 1, 0},
      {1, 0, 0, 1, 0, 3, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
  };
  for (int j = 1; j <= 4; ++j) {
    const int* e = expected[j - 1];
    EXPECT_EQ(t.tie(j), e[0]) << j;
    EXPECT_EQ(t.statistics->mutual_row()[j - 1], e[1]) << j;
    EXPECT_EQ(t.stat(j, 1), 1);
    for (int type = 2; type <= 15; ++type) EXPECT_EQ(t.stat(j, type), e[type]) << j << " " << type;
  }
}

TEST(Kernel, PathThroughASelfTieCounts) {
  Rows t({{1, 1}, {1, 2}, {2, 3}}, layout_of(all_types));
  ASSERT_EQ(t.network.mutual(1), 2);
  t.start();
  t.statistics->compute(1);
  EXPECT_EQ(t.tie(1), 1);
  EXPECT_EQ(t.statistics->mutual_row()[0], 0);  // the self-tie's entry stays positive
  for (auto [j, type, v] : {std::array{1, 2, 1}, {1, 8, 4}, {1, 10, 4}, {2, 6, 2}, {2, 8, 2}})
    EXPECT_EQ(t.stat(j, type), v) << j << " " << type;
}

using Net = std::tuple<int, double, double, unsigned>;  // n, density, reciprocity, seed
const Net networks[] = {{8, 0.3, 0.0, 1},  {9, 0.5, 0.5, 2},   {10, 0.2, 0.9, 3},
                        {11, 0.6, 0.3, 4}, {12, 0.4, 0.7, 5},  {13, 0.15, 0.5, 6},
                        {14, 0.5, 1.0, 7}, {15, 0.35, 0.4, 8}, {15, 0.7, 0.6, 9},
                        {10, 0.9, 0.2, 10}};

// On simple networks the definitions are the enumerated configuration counts.
TEST(Definitions, AgreeWithEnumeratedCounts) {
  for (const auto& [n, density, reciprocity, seed] : networks) {
    const auto links = test::random_network(n, density, reciprocity, seed);
    const Network net = network_of(links);
    const LinkStoreGraph graph(net);
    const auto x = test::Adjacency::from_links(n, links);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        if (j == i) continue;
        const auto counts = test::brute_change_stats(x, i, j);
        for (int t = 1; t <= 15; ++t) {
          ASSERT_EQ(change_statistic(static_cast<ConfigurationType>(t), graph, i, j), counts[t])
              << "type " << t << " dyad " << i << "->" << j << " seed " << seed;
        }
      }
    }
  }
}

// Random links sorted by sender; a pair may come several times, self-links included.
LinkList multigraph(int n, int count, int most_copies, unsigned seed) {
  std::mt19937 random(seed);
  LinkList links;
  for (int k = 0; k < count; ++k) {
    const int i = 1 + static_cast<int>(random() % unsigned(n));
    const int j = 1 + static_cast<int>(random() % unsigned(n));
    for (int c = 1 + static_cast<int>(random() % unsigned(most_copies)); c > 0; --c)
      links.emplace_back(i, j);
  }
  std::stable_sort(links.begin(), links.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return links;
}

// The kernel gives the definitions' value in every switched-on column and every dyad (the
// diagonal included); with triad_out_only column 6 holds the two-paths.
void check_kernel(const LinkList& links, const std::vector<int>& types, const std::string& what) {
  Rows t(links, layout_of(types));
  t.start();
  const LinkStoreGraph graph(t.network);
  const int n = t.network.node_count;
  const bool out_only = t.model.switches.triad_out_only;
  for (int i = 1; i <= n; ++i) {
    t.statistics->compute(i);
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(t.tie(j), graph.links(i, j) > 0 ? 1 : 0);
      ASSERT_EQ(t.statistics->mutual_row()[j - 1], graph.reciprocated_links(i, j) > 0 ? 1 : 0);
      for (int type = 1; type <= 15; ++type) {
        if (!t.model.switches(type)) continue;
        const auto c = static_cast<ConfigurationType>(type);
        const bool two_paths = type == 6 && out_only;
        ASSERT_EQ(t.stat(j, type), change_statistic(c, graph, i, j, two_paths))
            << what << ": type " << type << " dyad " << i << "->" << j;
      }
    }
  }
}

TEST(Kernel, AgreesWithTheDefinitionsOnRandomNetworks) {
  for (const auto& [n, density, reciprocity, seed] : networks) {
    check_kernel(test::random_network(n, density, reciprocity, seed, 0.2), all_types,
                 "simple, seed " + std::to_string(seed));
  }
  // Larger networks pass the eight-row blocks and their remainders.
  check_kernel(test::random_network(37, 0.2, 0.5, 11), all_types, "n 37");
  check_kernel(test::random_network(70, 0.08, 0.4, 12), all_types, "n 70");
}

TEST(Kernel, AgreesWithTheDefinitionsWithRepeatedAndSelfLinks) {
  const std::vector<std::vector<int>> models = {
      all_types, {1},  {2},  {3, 4}, {5},      {6},          {7},     {8, 9, 10}, {6, 7},
      {11},      {12}, {13}, {14},   {11, 14}, {12, 13, 15}, {3, 15}, {15},       {6, 15}};
  for (unsigned seed = 1; seed <= 8; ++seed) {
    const LinkList links =
        multigraph(5 + 3 * int(seed), 25 + 8 * int(seed), seed % 2 ? 3 : 1, seed);
    for (const auto& types : models)
      check_kernel(links, types, "multigraph " + std::to_string(seed));
  }
}

// Blocks by the given node blocks; groups of the given types with one column per block type.
void set_blocks(Rows& t, const std::vector<int>& block_of, int blocks, const Grid& structure,
                const std::vector<int>& group_types, const std::vector<int>& globals = {}) {
  NodeAttributes attributes;
  for (std::size_t j = 0; j < block_of.size(); ++j)
    attributes.value[0][j] = std::int16_t(block_of[j]);
  Blocking blocking;
  blocking.attribute = 1;
  blocking.block_count = blocks;
  for (int r = 1; r <= blocks; ++r)
    for (int c = 1; c <= blocks; ++c)
      blocking.structure(r, c) = std::int16_t(structure[r - 1u][c - 1u]);
  blocking.count_block_types();
  ModelDescription description;
  for (int g : globals) description.push_back({static_cast<ConfigurationType>(g), {}});
  std::vector<int> every;
  for (int b = 1; b <= blocking.block_type_count; ++b) every.push_back(b);
  for (int type : group_types) description.push_back({static_cast<ConfigurationType>(type), every});
  t.model = build_kernel_layout(description, blocking.block_type_count);
  t.blocks = dyad_blocks(blocking, attributes, t.network.node_count);
  t.start();
}

TEST(BlockSplit, FiveNodeExampleSendersOneAndThree) {
  Rows t({{1, 2}, {1, 3}, {1, 5}, {2, 5}, {3, 1}, {3, 4}, {4, 1}, {5, 3}}, layout_of({3}));
  set_blocks(t, {1, 1, 2, 2, 2}, 2, {{1, 2}, {0, 1}}, {3});
  // Per sender: the block type of each row, and one value (out-degree less the tie itself).
  const struct {
    int i, kind[5], j, column, value;
  } cases[] = {{1, {1, 1, 2, 2, 2}, 2, 17, 2},
               {1, {1, 1, 2, 2, 2}, 4, 18, 3},
               {3, {0, 0, 1, 1, 1}, 5, 17, 2}};
  for (const auto& c : cases) {
    t.statistics->compute(c.i);
    for (int j = 1; j <= 5; ++j) {
      EXPECT_EQ(t.stat(j, 17), c.kind[j - 1] == 1 ? t.stat(j, 3) : 0) << c.i << "->" << j;
      EXPECT_EQ(t.stat(j, 18), c.kind[j - 1] == 2 ? t.stat(j, 3) : 0) << c.i << "->" << j;
    }
    EXPECT_EQ(t.stat(c.j, c.column), c.value);
  }
}

// Blocks or a comparative network made for another network or blocking would have the block
// split and the covariate column write past their columns: refused.
TEST(BlockSplit, BlocksAndCovariateOfAnotherNetworkAreRefused) {
  const LinkList links = {{1, 2}, {2, 3}, {3, 1}, {4, 5}, {5, 4}};
  Rows t(links, layout_of({3}));
  set_blocks(t, {1, 1, 2, 2, 2}, 2, {{1, 2}, {0, 1}}, {3});
  Rows fewer_nodes(links, t.model);
  fewer_nodes.blocks = t.blocks;
  fewer_nodes.blocks->node_count = 4;
  EXPECT_THROW(fewer_nodes.start(), std::invalid_argument);
  Rows other_blocking(links, t.model);
  other_blocking.blocks = dyad_blocks(Blocking::identity(1, 2), {}, 5);  // one block type
  EXPECT_THROW(other_blocking.start(), std::invalid_argument);
  Rows covariate(links, layout_of({1, 16}));
  covariate.comparative = test::comparative_of(4, {{1, 2, 1}});
  EXPECT_THROW(covariate.start(), std::invalid_argument);
  covariate.comparative = test::comparative_of(5, {{1, 2, 1}});
  EXPECT_NO_THROW(covariate.start());
}

// Twelve groups of four block types (the last owns column 64), nodes without a valid block,
// and the comparative network beside them: every column is the type's, split by block type.
TEST(BlockSplit, EveryGroupColumnUpToSixtyFour) {
  const int n = 14;
  const auto links = test::random_network(n, 0.45, 0.6, 33);
  Rows t(links, layout_of({1}));
  std::vector<int> block_of;
  for (int j = 1; j <= n; ++j) block_of.push_back(j == 5 ? 0 : j == 9 ? 7 : 1 + (j * 7) % 4);
  const std::vector<int> group_types = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 2};
  const Grid structure = {{1, 2, 3, 4}, {4, 3, 0, 1}, {2, 4, 1, 0}, {3, 1, 4, 2}};
  ComparativeNetwork comparative;
  comparative.node_count = n;
  for (int i = 1; i <= n; ++i) {
    comparative.entries.push_back({std::int16_t(1 + i % n), std::int16_t(i - 7)});
    comparative.first.push_back(std::int32_t(comparative.entries.size()));
  }
  t.comparative = comparative;
  set_blocks(t, block_of, 4, structure, group_types, {16, 15});
  ASSERT_EQ(t.model.groups.back().first_column, 60);
  const LinkStoreGraph graph(t.network);
  auto kind = [&](int i, int j) {
    const int r = block_of[i - 1u], c = block_of[j - 1u];
    return r < 1 || r > 4 || c < 1 || c > 4 ? 0 : structure[r - 1u][c - 1u];
  };
  for (int i = 1; i <= n; ++i) {
    t.statistics->compute(i);
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(t.stat(j, 16), j == 1 + i % n ? i - 7 : 0);
      for (int g = 1; g <= 12; ++g) {
        const auto type = static_cast<ConfigurationType>(group_types[g - 1u]);
        for (int b = 1; b <= 4; ++b) {
          ASSERT_EQ(t.stat(j, 16 + 4 * (g - 1) + b),
                    kind(i, j) == b ? change_statistic(type, graph, i, j) : 0)
              << i << "->" << j << " group " << g;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarn
