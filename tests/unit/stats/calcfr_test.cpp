#include "stats/calcfr.h"

#include <gtest/gtest.h>

#include <array>

#include "support/brute_force.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;

// Fills rows 1..n of every column 2..64 with a marker, to see which columns a call writes.
constexpr int16 marker = 777;
void mark_table(World& w) {
  for (int c = 2; c <= max_params; ++c) {
    for (int j = 1; j <= w.n(); ++j) w.rec.stats.change_stat(j, c) = marker;
  }
}

// The four-node network of the statistics' worked example.
const LinkList worked_links = {{1, 2}, {1, 4}, {2, 1}, {2, 3}, {3, 1}, {4, 3}};

TEST(WorkedExample, EveryRowAndColumnOfSenderOne) {
  World w(worked_links);
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

TEST(WorkedExample, EverySenderAgreesWithCountedConfigurations) {
  World w(worked_links);
  w.select_all_types();
  const auto x = test::Adjacency::from_links(4, worked_links);
  for (int i = 1; i <= 4; ++i) {
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= 4; ++j) {
      if (j == i) continue;
      const auto d = test::brute_change_stats(x, i, j);
      for (int t = 1; t <= 15; ++t) EXPECT_EQ(w.stat(j, t), d[t]) << i << "->" << j << " " << t;
    }
  }
}

TEST(Sender, WithoutAnyTie) {
  // Node 3 has neither in- nor out-links.
  const LinkList links = {{1, 2}, {2, 1}, {2, 4}, {4, 1}, {4, 2}, {5, 4}};
  World w(links);
  w.select_all_types();
  mark_table(w);
  calcfr(w.rec, w.io, 3);
  const auto& nodes = w.rec.nodes;
  for (int j = 1; j <= w.n(); ++j) {
    SCOPED_TRACE(j);
    EXPECT_EQ(w.tie(j), 0);
    EXPECT_EQ(w.rec.mutual_row(j), 0);
    for (int t : {2, 3, 6, 7, 8, 10, 11, 12, 13, 14, 15}) EXPECT_EQ(w.stat(j, t), 0) << t;
    EXPECT_EQ(w.stat(j, 4), nodes.in_degree(j));
    EXPECT_EQ(w.stat(j, 5), nodes.out_degree(j));
    EXPECT_EQ(w.stat(j, 9), nodes.mutual_count(j));
  }
}

TEST(Sender, ReciprocatedAndUnreciprocatedTies) {
  const LinkList links = {{1, 2}, {1, 3}, {2, 1}};
  World w(links);
  w.select_types({2});
  calcfr(w.rec, w.io, 1);
  EXPECT_EQ(w.tie(2), 1);
  EXPECT_EQ(w.rec.mutual_row(2), 1);
  EXPECT_EQ(w.stat(2, 2), 1);
  EXPECT_EQ(w.tie(3), 1);
  EXPECT_EQ(w.rec.mutual_row(3), 0);
  EXPECT_EQ(w.stat(3, 2), 0);
}

TEST(Diagonal, RowOfTheSenderWithoutSelfTies) {
  const auto links = test::random_network(12, 0.4, 0.5, 7);
  World w(links);
  w.select_all_types();
  const auto& nodes = w.rec.nodes;
  for (int i = 1; i <= w.n(); ++i) {
    SCOPED_TRACE(i);
    calcfr(w.rec, w.io, static_cast<int16>(i));
    EXPECT_EQ(w.tie(i), 0);
    EXPECT_EQ(w.rec.mutual_row(i), 0);
    EXPECT_EQ(w.stat(i, 2), 0);
    EXPECT_EQ(w.stat(i, 3), nodes.out_degree(i));
    EXPECT_EQ(w.stat(i, 4), nodes.in_degree(i));
    EXPECT_EQ(w.stat(i, 5), nodes.in_degree(i) + nodes.out_degree(i));
    EXPECT_EQ(w.stat(i, 8), nodes.mutual_count(i));
    EXPECT_EQ(w.stat(i, 9), nodes.mutual_count(i));
    EXPECT_EQ(w.stat(i, 10), 0);
    for (int t : {6, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(w.stat(i, t), 0) << t;
  }
}

TEST(SelfTies, PathThroughTheSelfTieCounts) {
  const LinkList links = {{1, 1}, {1, 2}, {2, 3}};
  World w(links);
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

TEST(TriadOutOnly, TypeFifteenAloneKeepsTwoPathsInColumnSix) {
  for (unsigned seed : {3u, 11u, 29u}) {
    SCOPED_TRACE(seed);
    const auto links = test::random_network(13, 0.45, 0.6, seed);
    World w(links);
    w.select_types({15});
    ASSERT_EQ(w.rec.triad_out_only(), 1);
    ASSERT_EQ(w.rec.flags.type_on(6), 1);
    ASSERT_EQ(w.rec.flags.type_on(2), 1);
    const int n = w.n();
    const auto x = test::Adjacency::from_links(n, links);
    for (int i = 1; i <= n; ++i) {
      calcfr(w.rec, w.io, static_cast<int16>(i));
      for (int j = 1; j <= n; ++j) {
        if (j == i) continue;
        int two_paths = 0;
        for (int k = 1; k <= n; ++k) {
          if (k != i && k != j) two_paths += x(i, k) * x(k, j);
        }
        EXPECT_EQ(w.stat(j, 6), two_paths) << i << "->" << j;
        EXPECT_EQ(w.stat(j, 15), test::brute_change_stat(x, 15, i, j)) << i << "->" << j;
        EXPECT_EQ(w.stat(j, 2), x(j, i));
      }
    }
  }
}

TEST(TriadOutOnly, SixAndFifteenTogetherCountFullTriads) {
  const auto links = test::random_network(10, 0.5, 0.5, 5);
  World w(links);
  w.select_types({6, 15});
  ASSERT_EQ(w.rec.triad_out_only(), 0);
  const auto x = test::Adjacency::from_links(w.n(), links);
  for (int i = 1; i <= w.n(); ++i) {
    calcfr(w.rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= w.n(); ++j) {
      if (j == i) continue;
      EXPECT_EQ(w.stat(j, 6), test::brute_change_stat(x, 6, i, j));
      EXPECT_EQ(w.stat(j, 15), test::brute_change_stat(x, 15, i, j));
    }
  }
}

TEST(Columns, NoBlockingLeavesMutualRowInColumnSixtyFour) {
  World w(worked_links);
  w.select_all_types();
  mark_table(w);
  calcfr(w.rec, w.io, 2);
  for (int j = 1; j <= 4; ++j) {
    EXPECT_EQ(w.stat(j, 64), j == 1 ? 1 : 0);  // 2->1 is the only reciprocated tie of 2
    for (int c = 17; c <= 63; ++c) EXPECT_EQ(w.stat(j, c), marker) << c;
    EXPECT_EQ(w.stat(j, 16), marker);
  }
}

}  // namespace
}  // namespace tarn
