// calcfr: worked examples, and every type against configurations counted by enumeration.
#include "stats/calcfr.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/brute_force.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;

TEST(Calcfr, WorkedFourNodeExampleSenderOne) {
  World w(LinkList{{1, 2}, {1, 4}, {2, 1}, {2, 3}, {3, 1}, {4, 3}});
  w.select_all_types();
  calcfr(w.rec, w.io, 1);
  // Columns: tie_row, mutual_row, then types 2..15.
  const int expected[4][16] = {
      {0, 0, 0, 2, 2, 4, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0},
      {1, 1, 1, 1, 0, 2, 0, 1, 2, 1, 0, 0, 0, 1, 0, 0},
      {0, 0, 1, 2, 2, 1, 3, 0, 3, 3, 1, 1, 1, 2, 1, 0},
      {1, 0, 0, 1, 0, 3, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
  };
  for (int j = 1; j <= 4; ++j) {
    SCOPED_TRACE(j);
    EXPECT_EQ(w.tie(j), expected[j - 1][0]);
    EXPECT_EQ(w.rec.mutual_row(j), expected[j - 1][1]);
    EXPECT_EQ(w.stat(j, 1), 1);
    for (int t = 2; t <= 15; ++t) EXPECT_EQ(w.stat(j, t), expected[j - 1][t]) << "type " << t;
  }
}

TEST(Calcfr, PathThroughASelfTieCounts) {
  World w(LinkList{{1, 1}, {1, 2}, {2, 3}});
  ASSERT_EQ(w.rec.nodes.mutual_count(1), 2);
  w.select_all_types();
  calcfr(w.rec, w.io, 1);
  EXPECT_EQ(w.tie(1), 1);
  EXPECT_EQ(w.rec.mutual_row(1), 0);  // the self-tie's entry stays positive
  EXPECT_EQ(w.stat(1, 2), 1);
  EXPECT_EQ(w.stat(1, 8), 4);
  EXPECT_EQ(w.stat(1, 10), 4);
  EXPECT_EQ(w.stat(2, 6), 2);
  EXPECT_EQ(w.stat(2, 8), 2);
}

struct NetworkCase {
  int n;
  double density, reciprocity;
  unsigned seed;
};
const std::vector<NetworkCase> networks = {
    {8, 0.3, 0.0, 1},  {9, 0.5, 0.5, 2},   {10, 0.2, 0.9, 3}, {11, 0.6, 0.3, 4},
    {12, 0.4, 0.7, 5}, {13, 0.15, 0.5, 6}, {14, 0.5, 1.0, 7}, {15, 0.35, 0.4, 8},
    {15, 0.7, 0.6, 9}, {10, 0.9, 0.2, 10},
};

// Every switched-on column 2..15 equals the counted change statistic for every dyad (under
// triad_out_only, column 6 holds the two-paths i->k->j); every other column 2..63 keeps its
// marker. Without blocking, column 64 holds the mutual row.
void check_network(const NetworkCase& c, const std::vector<int>& types) {
  SCOPED_TRACE(testing::Message() << "n " << c.n << " seed " << c.seed);
  const auto links = test::random_network(c.n, c.density, c.reciprocity, c.seed);
  World w(links);
  ASSERT_EQ(w.n(), c.n);
  w.select_types(types);
  if (types == std::vector<int>{15}) {
    ASSERT_EQ(w.rec.triad_out_only(), 1);
  }
  const auto x = test::Adjacency::from_links(c.n, links);
  constexpr int16 marker = -999;
  for (int i = 1; i <= c.n; ++i) {
    for (int t = 2; t <= 63; ++t) {
      for (int j = 1; j <= c.n; ++j) w.rec.stats.change_stat(j, t) = marker;
    }
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= c.n; ++j) {
      ASSERT_EQ(w.tie(j), x(i, j));
      ASSERT_EQ(w.rec.mutual_row(j), x(i, j) * x(j, i));
      ASSERT_EQ(w.stat(j, 1), 1);
      if (types.size() == 15) {
        ASSERT_EQ(w.stat(j, 64), x(i, j) * x(j, i));
      }
      if (j == i) continue;
      const auto d = test::brute_change_stats(x, i, j);
      for (int t = 2; t <= 15; ++t) {
        if (t == 6 && w.rec.triad_out_only() == 1) {
          int two_paths = 0;
          for (int k = 1; k <= c.n; ++k) two_paths += k != i && k != j ? x(i, k) * x(k, j) : 0;
          ASSERT_EQ(w.stat(j, 6), two_paths) << i << "->" << j;
        } else {
          const long long want = w.rec.flags.type_on(t) == 1 ? d[t] : marker;
          ASSERT_EQ(w.stat(j, t), want) << "type " << t << " dyad " << i << "->" << j;
        }
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
  const std::vector<std::vector<int>> models = {
      {1},  {2},  {3, 4}, {5},      {6},          {7},     {8, 9, 10}, {6, 7},  {11},
      {12}, {13}, {14},   {11, 14}, {12, 13, 15}, {3, 15}, {15},       {6, 15},
  };
  for (const auto& m : models) {
    for (int c : {1, 4, 6, 8}) check_network(networks[c], m);
  }
}

}  // namespace
}  // namespace tarn
