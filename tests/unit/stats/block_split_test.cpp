// Block-parameter columns: the type columns split by the block-type number of each dyad.
#include "stats/block_split.h"

#include <gtest/gtest.h>

#include <vector>

#include "stats/calcfr.h"
#include "support/brute_force.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;

// Blocking by attribute 1 with the given blocks per node and block structure (rows by sender
// block); group_column0 set for all 16 groups as the selection does.
void set_blocks(World& w, const std::vector<int>& block_of, int block_count,
                const std::vector<std::vector<int>>& structure, int block_type_count) {
  auto& b = w.rec.blocks;
  b.block_attr = 1;
  b.block_count = static_cast<int16>(block_count);
  b.block_type_count = static_cast<int16>(block_type_count);
  for (std::size_t j = 0; j < block_of.size(); ++j) {
    w.rec.nodes.attr_value(static_cast<int>(j) + 1, 1) = static_cast<int16>(block_of[j]);
  }
  for (std::size_t r = 0; r < structure.size(); ++r) {
    for (std::size_t c = 0; c < structure[r].size(); ++c) {
      b.block_type(static_cast<int>(r) + 1, static_cast<int>(c) + 1) =
          static_cast<int16>(structure[r][c]);
    }
  }
  for (int g = 1; g <= 16; ++g) {
    b.group_type(g) = 0;
    b.group_size(g) = 0;
    b.group_column0(g) = static_cast<int16>(16 + block_type_count * (g - 1));
  }
}

void add_group(World& w, int g, int type, int size) {
  w.rec.blocks.group_type(g) = static_cast<int16>(type);
  w.rec.blocks.group_size(g) = static_cast<int16>(size);
}

// Block-type number of the dyad (i, j) under the test's structure; 0 for a node without a block.
int dyad_kind(const std::vector<int>& block_of, int block_count,
              const std::vector<std::vector<int>>& structure, int i, int j) {
  const int r = block_of[static_cast<std::size_t>(i - 1)];
  const int c = block_of[static_cast<std::size_t>(j - 1)];
  if (r < 1 || r > block_count || c < 1 || c > block_count) return 0;
  return structure[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
}

const LinkList five_links = {{1, 2}, {1, 3}, {1, 5}, {2, 5}, {3, 1}, {3, 4}, {4, 1}, {5, 3}};
const std::vector<int> five_blocks = {1, 1, 2, 2, 2};
const std::vector<std::vector<int>> five_structure = {{1, 2}, {0, 1}};

TEST(BlockSplit, FiveNodeExampleSenderOne) {
  World w(five_links);
  w.select_types({3});
  set_blocks(w, five_blocks, 2, five_structure, 2);
  add_group(w, 1, 3, 2);
  calcfr(w.rec, w.io, 1);
  for (int j = 1; j <= 2; ++j) {
    EXPECT_EQ(w.stat(j, 17), w.stat(j, 3));
    EXPECT_EQ(w.stat(j, 18), 0);
  }
  for (int j = 3; j <= 5; ++j) {
    EXPECT_EQ(w.stat(j, 17), 0);
    EXPECT_EQ(w.stat(j, 18), w.stat(j, 3));
  }
  // Out-degree 3 of node 1, less the tie itself.
  EXPECT_EQ(w.stat(2, 17), 2);
  EXPECT_EQ(w.stat(4, 18), 3);
}

TEST(BlockSplit, FiveNodeExampleSenderThree) {
  World w(five_links);
  w.select_types({3});
  set_blocks(w, five_blocks, 2, five_structure, 2);
  add_group(w, 1, 3, 2);
  calcfr(w.rec, w.io, 3);
  for (int j = 1; j <= 2; ++j) {
    EXPECT_EQ(w.stat(j, 17), 0);
    EXPECT_EQ(w.stat(j, 18), 0);
  }
  for (int j = 3; j <= 5; ++j) {
    EXPECT_EQ(w.stat(j, 17), w.stat(j, 3));
    EXPECT_EQ(w.stat(j, 18), 0);
  }
  EXPECT_EQ(w.stat(5, 17), 2);
}

TEST(BlockSplit, GroupOfTypeOneIndicatesTheBlockType) {
  World w(five_links);
  w.select_types({1});
  set_blocks(w, five_blocks, 2, five_structure, 2);
  add_group(w, 1, 1, 1);
  for (int i = 1; i <= 5; ++i) {
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 5; ++j) {
      const int kind = dyad_kind(five_blocks, 2, five_structure, i, j);
      EXPECT_EQ(w.stat(j, 17), kind == 1 ? 1 : 0) << i << "->" << j;
      EXPECT_EQ(w.stat(j, 18), kind == 2 ? 1 : 0) << i << "->" << j;
    }
  }
}

TEST(BlockSplit, DefaultStructureSplitsWithinBlocks) {
  const auto links = test::random_network(10, 0.4, 0.5, 21);
  World w(links);
  w.select_types({5});
  const std::vector<int> blocks = {1, 2, 3, 1, 2, 3, 1, 2, 3, 1};
  set_blocks(w, blocks, 3, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 1);
  add_group(w, 1, 5, 1);
  for (int i = 1; i <= 10; ++i) {
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 10; ++j) {
      const bool same =
          blocks[static_cast<std::size_t>(i - 1)] == blocks[static_cast<std::size_t>(j - 1)];
      EXPECT_EQ(w.stat(j, 17), same ? w.stat(j, 5) : 0);
    }
  }
}

TEST(BlockSplit, TwelfthGroupOwnsColumnSixtyFour) {
  const int n = 14;
  const auto links = test::random_network(n, 0.45, 0.6, 33);
  World w(links);
  w.select_all_types();
  std::vector<int> blocks;
  for (int j = 1; j <= n; ++j) blocks.push_back(1 + (j * 7) % 4);
  const std::vector<std::vector<int>> structure = {
      {1, 2, 3, 4}, {4, 3, 0, 1}, {2, 4, 1, 0}, {3, 1, 4, 2}};
  set_blocks(w, blocks, 4, structure, 4);
  // Twelve groups; the twelfth (columns 61..64) of type 2, the others of types 1, 3..13.
  const int group_types[12] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 2};
  for (int g = 1; g <= 12; ++g) add_group(w, g, group_types[g - 1], 4);
  ASSERT_EQ(w.rec.blocks.group_column0(12), 60);
  const auto x = test::Adjacency::from_links(n, links);
  for (int i = 1; i <= n; ++i) {
    SCOPED_TRACE(i);
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(w.tie(j), x(i, j));
      if (j != i) {
        const auto d = test::brute_change_stats(x, i, j);
        for (int t = 1; t <= 15; ++t) ASSERT_EQ(w.stat(j, t), d[t]) << "type " << t << " j " << j;
      }
      const int kind = dyad_kind(blocks, 4, structure, i, j);
      for (int g = 1; g <= 12; ++g) {
        for (int b = 1; b <= 4; ++b) {
          const int column = 16 + 4 * (g - 1) + b;
          const int t = group_types[g - 1];
          ASSERT_EQ(w.stat(j, column), kind == b ? w.stat(j, t) : 0) << "group " << g;
        }
      }
      // Column 64: the twelfth group's block type 4, reciprocation x(j, i) where that applies.
      ASSERT_EQ(w.stat(j, 64), kind == 4 ? x(j, i) : 0);
    }
  }
}

TEST(BlockSplit, TwoGroupsOfTheSameTypeUseDisjointColumns) {
  const auto links = test::random_network(9, 0.5, 0.4, 44);
  World w(links);
  w.select_types({5});
  const std::vector<int> blocks = {1, 2, 2, 1, 2, 1, 1, 2, 1};
  const std::vector<std::vector<int>> structure = {{1, 2}, {2, 1}};
  set_blocks(w, blocks, 2, structure, 2);
  add_group(w, 1, 5, 1);  // chose block type 1 only
  add_group(w, 2, 5, 1);  // chose block type 2 only
  for (int i = 1; i <= 9; ++i) {
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 9; ++j) {
      const int kind = dyad_kind(blocks, 2, structure, i, j);
      for (int group = 0; group < 2; ++group) {
        EXPECT_EQ(w.stat(j, 17 + 2 * group), kind == 1 ? w.stat(j, 5) : 0);
        EXPECT_EQ(w.stat(j, 18 + 2 * group), kind == 2 ? w.stat(j, 5) : 0);
      }
    }
  }
}

TEST(BlockSplit, NodesOutsideTheBlocksBelongToNoBlockType) {
  // Node 2 has no record (block 0), node 4 has block 3 above block_count 2, node 6 block 17.
  const LinkList links = {{1, 2}, {1, 3}, {1, 4}, {1, 6}, {2, 1}, {3, 5}, {4, 1}, {5, 6}, {6, 2}};
  World w(links);
  w.select_types({3});
  const std::vector<int> blocks = {1, 0, 2, 3, 1, 17};
  set_blocks(w, blocks, 2, {{1, 2}, {2, 1}}, 2);
  // Entries beyond the blocks in use must not be read.
  for (int r = 1; r <= 16; ++r) {
    for (int c = 1; c <= 16; ++c) {
      if (r > 2 || c > 2) w.rec.blocks.block_type(r, c) = 1;
    }
  }
  add_group(w, 1, 3, 2);
  constexpr int16 marker = 555;
  for (int i = 1; i <= 6; ++i) {
    for (int j = 1; j <= 6; ++j) w.rec.stats.change_stat(j, 19) = marker;
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 6; ++j) {
      const int kind = dyad_kind(blocks, 2, {{1, 2}, {2, 1}}, i, j);
      EXPECT_EQ(w.stat(j, 17), kind == 1 ? w.stat(j, 3) : 0) << i << "->" << j;
      EXPECT_EQ(w.stat(j, 18), kind == 2 ? w.stat(j, 3) : 0) << i << "->" << j;
      EXPECT_EQ(w.stat(j, 19), marker);
    }
  }
  // Sender 2 (block 0): every group column is 0.
  calcfr(w.rec, w.io, 2);
  for (int j = 1; j <= 6; ++j) {
    EXPECT_EQ(w.stat(j, 17), 0);
    EXPECT_EQ(w.stat(j, 18), 0);
  }
}

TEST(BlockSplit, BlockTypeEntryBeyondTheCountWritesNothing) {
  World w(five_links);
  w.select_types({3});
  // block_type(1, 2) = 5 with two block types: treated as no block type.
  set_blocks(w, five_blocks, 2, {{1, 5}, {-1, 1}}, 2);
  add_group(w, 1, 3, 2);
  for (int c = 19; c <= 22; ++c) {
    for (int j = 1; j <= 5; ++j) w.rec.stats.change_stat(j, c) = 444;
  }
  for (int i : {1, 3}) {
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 5; ++j) {
      const int kind = dyad_kind(five_blocks, 2, {{1, 5}, {-1, 1}}, i, j);
      EXPECT_EQ(w.stat(j, 17), kind == 1 ? w.stat(j, 3) : 0);
      EXPECT_EQ(w.stat(j, 18), 0);
      for (int c = 19; c <= 22; ++c) EXPECT_EQ(w.stat(j, c), 444);
    }
  }
}

}  // namespace
}  // namespace tarn
