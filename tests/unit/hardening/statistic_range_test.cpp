// Repeated links: the 32-bit statistics agree with the 16-bit table.
#include "input/statistic_range.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "input/link_store.h"
#include "stats/calcfr.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;

// Random links sorted by source; every pair may come several times, self-links included.
LinkList random_links(int n, int count, int most_copies, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> node(1, n);
  std::uniform_int_distribution<int> copies(1, most_copies);
  LinkList links;
  for (int k = 0; k < count; ++k) {
    const int i = node(random);
    const int j = node(random);
    for (int c = copies(random); c > 0; --c) links.emplace_back(i, j);
  }
  std::stable_sort(links.begin(), links.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return links;
}

// The cheap bound never lies below a statistic.
TEST(StatisticRange, WideStatisticsAgreeWithTheTable) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const int n = 6 + static_cast<int>(seed);
    World w(random_links(n, 3 * n, seed % 3 == 0 ? 1 : 4, seed));
    w.select_all_types();
    const std::int64_t bound = statistic_bound(w.rec);
    WideStatistics wide(w.rec);
    for (int i = 1; i <= w.n(); ++i) {
      calcfr(w.rec, w.io, static_cast<int16>(i));
      wide.compute(i);
      for (int t = 2; t <= 15; ++t) {
        for (int j = 1; j <= w.n(); ++j) {
          ASSERT_EQ(wide.value(j, t), w.stat(j, t)) << seed << " " << i << " " << j << " " << t;
          ASSERT_LE(wide.value(j, t), bound) << "seed " << seed;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarn
