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
using Grid = std::vector<std::vector<int>>;

// Blocking by attribute 1 (blocks per node, structure rows by sender block), group_column0 set
// for all 16 groups as the selection does; groups[g - 1] = {type, size}.
void set_blocks(World& w, const std::vector<int>& block_of, int block_count, const Grid& structure,
                int block_type_count, const Grid& groups) {
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
    const bool used = g <= static_cast<int>(groups.size());
    b.group_type(g) = static_cast<int16>(used ? groups[g - 1][0] : 0);
    b.group_size(g) = static_cast<int16>(used ? groups[g - 1][1] : 0);
    b.group_column0(g) = static_cast<int16>(16 + block_type_count * (g - 1));
  }
}

// Block-type number of the dyad (i, j); 0 for a node without a valid block.
int dyad_kind(const std::vector<int>& block_of, int block_count, const Grid& structure, int i,
              int j) {
  const int r = block_of[static_cast<std::size_t>(i - 1)];
  const int c = block_of[static_cast<std::size_t>(j - 1)];
  if (r < 1 || r > block_count || c < 1 || c > block_count) return 0;
  return structure[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
}

TEST(BlockSplit, FiveNodeExampleSendersOneAndThree) {
  World w(LinkList{{1, 2}, {1, 3}, {1, 5}, {2, 5}, {3, 1}, {3, 4}, {4, 1}, {5, 3}});
  w.select_types({3});
  set_blocks(w, {1, 1, 2, 2, 2}, 2, {{1, 2}, {0, 1}}, 2, {{3, 2}});
  // Per sender: the block type of each row, and one value (out-degree less the tie itself).
  struct Case {
    int i, kind[5], j, column, value;
  };
  for (const Case& c : {Case{1, {1, 1, 2, 2, 2}, 2, 17, 2}, Case{1, {1, 1, 2, 2, 2}, 4, 18, 3},
                        Case{3, {0, 0, 1, 1, 1}, 5, 17, 2}}) {
    calcfr(w.rec, w.io, static_cast<int16>(c.i));
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
  const Grid structure = {{1, 2, 3, 4}, {4, 3, 0, 1}, {2, 4, 1, 0}, {3, 1, 4, 2}};
  // Twelve groups; the twelfth (columns 61..64) of type 2, the others of types 1, 3..13.
  const int group_types[12] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 2};
  Grid groups;
  for (int t : group_types) groups.push_back({t, 4});
  set_blocks(w, blocks, 4, structure, 4, groups);
  ASSERT_EQ(w.rec.blocks.group_column0(12), 60);
  const auto x = test::Adjacency::from_links(n, links);
  for (int i = 1; i <= n; ++i) {
    SCOPED_TRACE(i);
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(w.tie(j), x(i, j));
      const int kind = dyad_kind(blocks, 4, structure, i, j);
      for (int g = 1; g <= 12; ++g) {
        for (int b = 1; b <= 4; ++b) {
          const int want = kind == b ? w.stat(j, group_types[g - 1]) : 0;
          ASSERT_EQ(w.stat(j, 16 + 4 * (g - 1) + b), want) << "group " << g;
        }
      }
      // Column 64: the twelfth group's block type 4, reciprocation x(j, i) where that applies.
      ASSERT_EQ(w.stat(j, 64), kind == 4 ? x(j, i) : 0);
    }
  }
}

TEST(BlockSplit, InvalidBlocksAndBlockTypesBelongToNoBlockType) {
  // Node 2 has no record (block 0), node 4 block 3 above block_count 2, node 6 block 17; the
  // structure holds 5 (above the two block types) and -1. Sender 2 thus writes only zeros.
  World w(LinkList{{1, 2}, {1, 3}, {1, 4}, {1, 6}, {2, 1}, {3, 5}, {4, 1}, {5, 6}, {6, 2}});
  w.select_types({3});
  const std::vector<int> blocks = {1, 0, 2, 3, 1, 17};
  const Grid structure = {{1, 5}, {2, -1}};
  set_blocks(w, blocks, 2, structure, 2, {{3, 2}});
  // Entries beyond the blocks in use must not be read.
  for (int r = 1; r <= 16; ++r) {
    for (int c = 1; c <= 16; ++c) {
      if (r > 2 || c > 2) w.rec.blocks.block_type(r, c) = 1;
    }
  }
  constexpr int16 marker = 555;
  for (int i = 1; i <= 6; ++i) {
    for (int c = 19; c <= 22; ++c) {
      for (int j = 1; j <= 6; ++j) w.rec.stats.change_stat(j, c) = marker;
    }
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 6; ++j) {
      const int kind = dyad_kind(blocks, 2, structure, i, j);
      EXPECT_EQ(w.stat(j, 17), kind == 1 ? w.stat(j, 3) : 0) << i << "->" << j;
      EXPECT_EQ(w.stat(j, 18), kind == 2 ? w.stat(j, 3) : 0) << i << "->" << j;
      for (int c = 19; c <= 22; ++c) EXPECT_EQ(w.stat(j, c), marker);
    }
  }
}

}  // namespace
}  // namespace tarn
