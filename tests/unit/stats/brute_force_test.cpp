// calcfr against configurations counted one by one on the adjacency matrix.
#include "support/brute_force.h"

#include <gtest/gtest.h>

#include <vector>

#include "stats/calcfr.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::World;

struct NetworkCase {
  int n;
  double density;
  double reciprocity;
  unsigned seed;
};

const std::vector<NetworkCase> cases = {
    {8, 0.3, 0.0, 1},  {9, 0.5, 0.5, 2},   {10, 0.2, 0.9, 3}, {11, 0.6, 0.3, 4},
    {12, 0.4, 0.7, 5}, {13, 0.15, 0.5, 6}, {14, 0.5, 1.0, 7}, {15, 0.35, 0.4, 8},
    {15, 0.7, 0.6, 9}, {10, 0.9, 0.2, 10},
};

int two_paths(const test::Adjacency& x, int i, int j) {
  int count = 0;
  for (int k = 1; k <= x.n(); ++k) {
    if (k != i && k != j) count += x(i, k) * x(k, j);
  }
  return count;
}

// Compares every switched-on column 2..15 with the counted change statistics, for every sender
// and every row j != i; switched-off columns must keep what they held.
void check_network(const NetworkCase& c, const std::vector<int>& types) {
  SCOPED_TRACE(testing::Message() << "n " << c.n << " seed " << c.seed);
  const auto links = test::random_network(c.n, c.density, c.reciprocity, c.seed);
  World w(links);
  ASSERT_EQ(w.n(), c.n);
  w.select_types(types);
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
      if (j == i) continue;
      const auto d = test::brute_change_stats(x, i, j);
      for (int t = 2; t <= 15; ++t) {
        if (t == 6 && w.rec.triad_out_only() == 1) {
          ASSERT_EQ(w.stat(j, 6), two_paths(x, i, j));
        } else if (w.rec.flags.type_on(t) == 1) {
          ASSERT_EQ(w.stat(j, t), d[t]) << "type " << t << " dyad " << i << "->" << j;
        } else {
          ASSERT_EQ(w.stat(j, t), marker) << "switched-off type " << t;
        }
      }
      for (int col = 16; col <= 63; ++col) ASSERT_EQ(w.stat(j, col), marker);
    }
  }
}

TEST(BruteForce, AllTypesOnSeveralRandomNetworks) {
  for (const auto& c : cases) check_network(c, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
}

TEST(BruteForce, EachReciprocatedTriadTypeAlone) {
  for (int t : {11, 12, 13, 14}) {
    SCOPED_TRACE(t);
    for (const auto& c : {cases[1], cases[4], cases[8]}) check_network(c, {t});
  }
}

TEST(BruteForce, SmallerModels) {
  const std::vector<std::vector<int>> models = {
      {1}, {2}, {3, 4}, {5}, {6}, {7}, {8, 9, 10}, {6, 7}, {11, 14}, {12, 13, 15}, {3, 15},
  };
  for (const auto& m : models) {
    for (const auto& c : {cases[0], cases[3], cases[6], cases[9]}) {
      check_network(c, m);
    }
  }
}

}  // namespace
}  // namespace tarn
