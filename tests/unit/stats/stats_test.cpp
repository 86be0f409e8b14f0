// calcfr: worked examples, every type against enumerated counts, block and comparative columns.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "input/comparative_file.h"
#include "stats/block_split.h"
#include "stats/calcfr.h"
#include "support/brute_force.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;
using Grid = std::vector<std::vector<int>>;

const auto run = [](World& w, int i) { calcfr(w.rec, w.io, static_cast<int16>(i)); };
const auto fill = [](World& w, int from, int to, int16 value) {
  for (int c = from; c <= to; ++c)
    for (int j = 1; j <= w.n(); ++j) w.rec.stats.change_stat(j, c) = value;
};

TEST(Calcfr, WorkedFourNodeExampleSenderOne) {
  World w(LinkList{{1, 2}, {1, 4}, {2, 1}, {2, 3}, {3, 1}, {4, 3}});
  w.select_all_types();
  run(w, 1);
  // Columns: tie_row, mutual_row, then types 2..15.
  const int expected[4][16] = {
      {0, 0, 0, 2, 2, 4, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0},
      {1, 1, 1, 1, 0, 2, 0, 1, 2, 1, 0, 0, 0, 1, 0, 0},
      {0, 0, 1, 2, 2, 1, 3, 0, 3, 3, 1, 1, 1, 2, 1, 0},
      {1, 0, 0, 1, 0, 3, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
  };
  for (int j = 1; j <= 4; ++j) {
    const int* e = expected[j - 1];
    EXPECT_EQ(w.tie(j), e[0]) << j;
    EXPECT_EQ(w.rec.mutual_row(j), e[1]) << j;
    EXPECT_EQ(w.stat(j, 1), 1);
    for (int t = 2; t <= 15; ++t) EXPECT_EQ(w.stat(j, t), e[t]) << j << " type " << t;
  }
}

TEST(Calcfr, PathThroughASelfTieCounts) {
  World w(LinkList{{1, 1}, {1, 2}, {2, 3}});
  ASSERT_EQ(w.rec.nodes.mutual_count(1), 2);
  w.select_all_types();
  run(w, 1);
  EXPECT_EQ(w.tie(1), 1);
  EXPECT_EQ(w.rec.mutual_row(1), 0);  // the self-tie's entry stays positive
  for (auto [j, t, v] : {std::array{1, 2, 1}, {1, 8, 4}, {1, 10, 4}, {2, 6, 2}, {2, 8, 2}})
    EXPECT_EQ(w.stat(j, t), v) << j << " " << t;
}

using Net = std::tuple<int, double, double, unsigned>;  // n, density, reciprocity, seed
const Net networks[] = {{8, 0.3, 0.0, 1},  {9, 0.5, 0.5, 2},   {10, 0.2, 0.9, 3},
                        {11, 0.6, 0.3, 4}, {12, 0.4, 0.7, 5},  {13, 0.15, 0.5, 6},
                        {14, 0.5, 1.0, 7}, {15, 0.35, 0.4, 8}, {15, 0.7, 0.6, 9},
                        {10, 0.9, 0.2, 10}};

// Switched-on columns 2..15 equal the counts (under triad_out_only column 6: two-paths i->k->j),
// other columns 2..63 keep their marker; with all types column 64 holds the mutual row.
void check_network(const Net& net, const std::vector<int>& types) {
  const auto [n, density, reciprocity, seed] = net;
  SCOPED_TRACE(testing::Message() << "n " << n << " seed " << seed);
  const auto links = test::random_network(n, density, reciprocity, seed);
  World w(links);
  ASSERT_EQ(w.n(), n);
  w.select_types(types);
  if (types == std::vector<int>{15}) {
    ASSERT_EQ(w.rec.triad_out_only(), 1);
  }
  const auto x = test::Adjacency::from_links(n, links);
  constexpr int16 marker = -999;
  for (int i = 1; i <= n; ++i) {
    fill(w, 2, 63, marker);
    run(w, i);
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(w.tie(j), x(i, j));
      ASSERT_EQ(w.rec.mutual_row(j), x(i, j) * x(j, i));
      ASSERT_EQ(w.stat(j, 1), 1);
      if (types.size() == 15) {
        ASSERT_EQ(w.stat(j, 64), x(i, j) * x(j, i));
      }
      if (j == i) continue;
      const auto d = test::brute_change_stats(x, i, j);
      for (int t = 2; t <= 15; ++t) {
        long long want = w.rec.flags.type_on(t) == 1 ? d[t] : marker;
        if (t == 6 && w.rec.triad_out_only() == 1) {
          want = 0;
          for (int k = 1; k <= n; ++k) want += k != i && k != j ? x(i, k) * x(k, j) : 0;
        }
        ASSERT_EQ(w.stat(j, t), want) << "type " << t << " dyad " << i << "->" << j;
      }
      for (int col = 16; col <= 63; ++col) ASSERT_EQ(w.stat(j, col), marker);
    }
  }
}

TEST(Calcfr, AllTypesAgreeWithCountsOnRandomNetworks) {
  for (const auto& c : networks)
    check_network(c, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
}

TEST(Calcfr, SmallerModelsAgreeWithCounts) {
  const Grid models = {{1},        {2},          {3, 4},  {5},  {6},    {7},
                       {8, 9, 10}, {6, 7},       {11},    {12}, {13},   {14},
                       {11, 14},   {12, 13, 15}, {3, 15}, {15}, {6, 15}};
  for (const auto& m : models)
    for (int c : {1, 4, 6, 8}) check_network(networks[c], m);
}

// Blocks by attribute 1 (structure rows by sender block); groups of the given types with one
// column per block type, group_column0 set for all 16 groups as the selection does. Returns the
// block-type number of a dyad (i, j), 0 for a node without a valid block.
auto set_blocks(World& w, std::vector<int> block_of, int count, Grid structure, int types,
                const std::vector<int>& group_types) {
  auto& b = w.rec.blocks;
  b.block_attr = 1, b.block_count = int16(count), b.block_type_count = int16(types);
  for (int j = 1; j <= int(block_of.size()); ++j)
    w.rec.nodes.attr_value(j, 1) = int16(block_of[j - 1]);
  for (int r = 1; r <= count; ++r)
    for (int c = 1; c <= count; ++c) b.block_type(r, c) = int16(structure[r - 1][c - 1]);
  for (int g = 1; g <= 16; ++g) {
    const bool used = g <= int(group_types.size());
    b.group_type(g) = int16(used ? group_types[g - 1] : 0),
    b.group_size(g) = int16(used ? types : 0);
    b.group_column0(g) = int16(16 + types * (g - 1));
  }
  return [=](int i, int j) {
    const int r = block_of[i - 1], c = block_of[j - 1];
    return r < 1 || r > count || c < 1 || c > count ? 0 : structure[r - 1][c - 1];
  };
}

TEST(BlockSplit, FiveNodeExampleSendersOneAndThree) {
  World w(LinkList{{1, 2}, {1, 3}, {1, 5}, {2, 5}, {3, 1}, {3, 4}, {4, 1}, {5, 3}});
  w.select_types({3});
  set_blocks(w, {1, 1, 2, 2, 2}, 2, {{1, 2}, {0, 1}}, 2, {3});
  // Per sender: the block type of each row, and one value (out-degree less the tie itself).
  const struct {
    int i, kind[5], j, column, value;
  } cases[] = {{1, {1, 1, 2, 2, 2}, 2, 17, 2},
               {1, {1, 1, 2, 2, 2}, 4, 18, 3},
               {3, {0, 0, 1, 1, 1}, 5, 17, 2}};
  for (const auto& c : cases) {
    run(w, c.i);
    for (int j = 1; j <= 5; ++j) {
      EXPECT_EQ(w.stat(j, 17), c.kind[j - 1] == 1 ? w.stat(j, 3) : 0) << c.i << "->" << j;
      EXPECT_EQ(w.stat(j, 18), c.kind[j - 1] == 2 ? w.stat(j, 3) : 0) << c.i << "->" << j;
    }
    EXPECT_EQ(w.stat(c.j, c.column), c.value);
  }
}

TEST(BlockSplit, TwelfthGroupOwnsColumnSixtyFour) {
  const int n = 14;
  const auto links = test::random_network(n, 0.45, 0.6, 33);
  World w(links);
  w.select_all_types();
  std::vector<int> blocks;
  for (int j = 1; j <= n; ++j) blocks.push_back(1 + (j * 7) % 4);
  // Twelve groups; the twelfth (columns 61..64) of type 2, the others of types 1, 3..13.
  const std::vector<int> group_types = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 2};
  const auto kind = set_blocks(
      w, blocks, 4, {{1, 2, 3, 4}, {4, 3, 0, 1}, {2, 4, 1, 0}, {3, 1, 4, 2}}, 4, group_types);
  ASSERT_EQ(w.rec.blocks.group_column0(12), 60);
  const auto x = test::Adjacency::from_links(n, links);
  for (int i = 1; i <= n; ++i) {
    run(w, i);
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(w.tie(j), x(i, j));
      for (int g = 1; g <= 12; ++g)
        for (int b = 1; b <= 4; ++b)
          ASSERT_EQ(w.stat(j, 16 + 4 * (g - 1) + b),
                    kind(i, j) == b ? w.stat(j, group_types[g - 1]) : 0)
              << i << "->" << j << " group " << g;
      ASSERT_EQ(w.stat(j, 64), kind(i, j) == 4 ? x(j, i) : 0);  // reciprocation in block type 4
    }
  }
}

TEST(BlockSplit, InvalidBlocksAndBlockTypesBelongToNoBlockType) {
  // Node 2 has no record (block 0), node 4 block 3 above block_count 2, node 6 block 17; the
  // structure holds 5 (above the two block types) and -1. Sender 2 thus writes only zeros.
  World w(LinkList{{1, 2}, {1, 3}, {1, 4}, {1, 6}, {2, 1}, {3, 5}, {4, 1}, {5, 6}, {6, 2}});
  w.select_types({3});
  const auto kind = set_blocks(w, {1, 0, 2, 3, 1, 17}, 2, {{1, 5}, {2, -1}}, 2, {3});
  for (int r = 1; r <= 16; ++r)  // entries beyond the blocks in use must not be read
    for (int c = 1; c <= 16; ++c)
      if (r > 2 || c > 2) w.rec.blocks.block_type(r, c) = 1;
  for (int i = 1; i <= 6; ++i) {
    fill(w, 19, 22, 555);
    run(w, i);
    for (int j = 1; j <= 6; ++j) {
      EXPECT_EQ(w.stat(j, 17), kind(i, j) == 1 ? w.stat(j, 3) : 0) << i << "->" << j;
      EXPECT_EQ(w.stat(j, 18), kind(i, j) == 2 ? w.stat(j, 3) : 0) << i << "->" << j;
      for (int c = 19; c <= 22; ++c) EXPECT_EQ(w.stat(j, c), 555);
    }
  }
}

TEST(Comparative, ColumnSixteenOverTwoPasses) {
  const std::vector<int> o(6, 0);
  const struct {
    const char* what;
    Grid records, expected;
  } cases[] = {
      {"value 0 first, negative value, self-pair, repeated pair (later wins)",
       {{3, 1, 0}, {2, 5, -3}, {2, 6, 0}, {2, 1, 4}, {4, 4, 7}, {4, 2, 1}, {4, 2, 9}, {4, 3, 0}},
       {o, {4, 0, 0, 0, -3, 0}, o, {0, 9, 0, 7, 0, 0}, o, o}},
      {"rows without records are zero",
       {{3, 1, 2}, {3, 6, 1}, {5, 5, 3}},
       {o, o, {2, 0, 0, 0, 0, 1}, o, {0, 0, 0, 0, 3, 0}, o}},
      {"descending file: only the first sender",
       {{4, 1, 1}, {4, 2, 2}, {2, 3, 3}, {1, 6, 4}},
       {o, o, o, {1, 2, 0, 0, 0, 0}, o, o}},
      {"stream ends after the last record",
       {{1, 2, 5}, {2, 2, 6}},
       {{0, 5, 0, 0, 0, 0}, {0, 6, 0, 0, 0, 0}, o, o, o, o}},
      {"receivers outside 1..n skipped",
       {{2, 9, 5}, {2, 0, 6}, {2, -1, 7}, {2, 3, 8}, {7, 1, 1}},
       {o, {0, 0, 8, 0, 0, 0}, o, o, o, o}},
  };
  for (const auto& c : cases) {
    World w(LinkList{{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}});
    w.select_types({16});
    std::string text = "(3I4)\n";
    char line[16];
    for (const auto& r : c.records)
      text.append(line, std::snprintf(line, sizeof line, "%4d%4d%4d\n", r[0], r[1], r[2]));
    w.open_comparative(text);
    for (int pass = 0; pass < 2; ++pass) {  // the next init reads the file again from its start
      init(w.rec, w.io);
      Grid rows(6);
      for (int i = 1; i <= 6; ++i) {
        fill(w, 16, 16, 99);  // stale, to be cleared
        run(w, i);
        for (int j = 1; j <= 6; ++j) rows[i - 1].push_back(w.stat(j, 16));
      }
      EXPECT_EQ(rows, c.expected) << c.what;
    }
  }
}

}  // namespace
}  // namespace tarn
