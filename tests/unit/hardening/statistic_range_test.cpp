// Repeated links and the 16-bit statistics table: the check is exact where the table would wrap.
#include "input/statistic_range.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "input/link_store.h"
#include "stats/calcfr.h"
#include "store/fatal_error.h"
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

// The 32-bit statistics equal the table for every type and sender, and the cheap bound never
// lies below one of them.
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

// A triangle whose six links are each given c times: type 14 reaches 5 c^2, type 6 only 3 c^2.
// c = 80 fits (32000); c = 81 (32805) is refused naming type 14.
LinkList reciprocated_triangle(int copies) {
  LinkList links;
  for (const auto& pair : LinkList{{1, 2}, {1, 3}, {2, 1}, {2, 3}, {3, 1}, {3, 2}}) {
    links.insert(links.end(), static_cast<std::size_t>(copies), pair);
  }
  return links;
}

TEST(StatisticRange, ATriangleGiven80TimesFits81TimesIsRefused) {
  World fits(reciprocated_triangle(80));
  fits.select_all_types();
  int largest = 0;
  for (int i = 1; i <= 3; ++i) {
    calcfr(fits.rec, fits.io, static_cast<int16>(i));
    for (int j = 1; j <= 3; ++j) largest = std::max(largest, fits.stat(j, 14));
  }
  EXPECT_EQ(largest, 32000);

  auto rec = std::make_unique<Records>();
  try {
    build_link_store(*rec, reciprocated_triangle(81));
    FAIL() << "type 14 past 16 bits was accepted";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("type 14 for the dyad"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("equal to 32805,"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace tarn
