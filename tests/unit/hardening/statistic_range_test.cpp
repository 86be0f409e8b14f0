// Repeated links and the 16-bit statistics table: the check is exact where the statistics table
// would wrap, and it accepts networks whose statistics all fit.
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

// Sorted by source; every pair may come several times, self-links included.
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

// The 32-bit statistics and the table agree wherever they fit, for every type and sender.
TEST(StatisticRange, WideStatisticsAgreeWithTheTable) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const int n = 6 + static_cast<int>(seed);
    World w(random_links(n, 3 * n, seed % 3 == 0 ? 1 : 4, seed));
    w.select_all_types();
    WideStatistics wide(w.rec);
    for (int i = 1; i <= w.n(); ++i) {
      calcfr(w.rec, w.io, static_cast<int16>(i));
      wide.compute(i);
      for (int t = 2; t <= 15; ++t) {
        for (int j = 1; j <= w.n(); ++j) {
          ASSERT_EQ(wide.value(j, t), w.stat(j, t))
              << "seed " << seed << " sender " << i << " row " << j << " type " << t;
        }
      }
    }
  }
}

// The cheap bound never lies below a true statistic.
TEST(StatisticRange, BoundIsNeverBelowAStatistic) {
  for (unsigned seed = 20; seed <= 40; ++seed) {
    const int n = 5 + static_cast<int>(seed % 9);
    World w(random_links(n, 4 * n, 1 + static_cast<int>(seed % 6), seed));
    const std::int64_t bound = statistic_bound(w.rec);
    WideStatistics wide(w.rec);
    for (int i = 1; i <= w.n(); ++i) {
      wide.compute(i);
      for (int t = 2; t <= 15; ++t) {
        for (int j = 1; j <= w.n(); ++j) {
          ASSERT_LE(wide.value(j, t), bound) << "seed " << seed;
          ASSERT_GE(wide.value(j, t), -2) << "seed " << seed;
        }
      }
    }
  }
}

// Node 1 sends `a` copies of 1->2, node 2 sends `b` copies of 2->3: the two-paths from 1 to 3
// (type 6, sender 1, row 3) number a * b.
LinkList two_path_bundle(int a, int b) {
  LinkList links(static_cast<std::size_t>(a), {1, 2});
  links.insert(links.end(), static_cast<std::size_t>(b), {2, 3});
  return links;
}

TEST(StatisticRange, LargestStatisticThatFitsIsAccepted) {
  World w(two_path_bundle(181, 181));  // 32761
  w.select_all_types();
  calcfr(w.rec, w.io, 1);
  EXPECT_EQ(w.stat(3, 6), 181 * 181);
}

TEST(StatisticRange, OneMoreIsRefusedNamingTypeDyadAndValue) {
  auto rec = std::make_unique<Records>();
  try {
    build_link_store(*rec, two_path_bundle(182, 181));  // 32942
    FAIL() << "a statistic past 16 bits was accepted";
  } catch (const FatalError& e) {
    EXPECT_EQ(e.exit_status(), 1);
    EXPECT_STREQ(e.what(),
                 "Link list: links given more than once make the change statistic of type 6 for "
                 "the dyad 1 -> 3 equal to 32942, beyond the 16-bit range (-32768 to 32767); "
                 "give every link once.");
  }
}

// What the check prevents: the same store without it wraps the statistic to a negative number.
TEST(StatisticRange, WithoutTheCheckTheTableWouldWrap) {
  World w;
  LinkStoreBuilder builder(w.rec, "test");
  for (const auto& [i, j] : two_path_bundle(182, 181)) builder.add_link(i, j, 1);
  finish_links(w.rec);
  reciprocity_pass(w.rec);
  in_link_pass(w.rec);
  ASSERT_TRUE(builder.has_repeated_links());
  w.select_all_types();
  calcfr(w.rec, w.io, 1);
  EXPECT_EQ(w.stat(3, 6), 32942 - 65536);
  EXPECT_EQ(find_statistic_overflow(w.rec).value, 32942);
}

// A star of 150 links with one link given twice: every statistic stays small, and the network is
// read (the degree-product rule used before refused it).
TEST(StatisticRange, OneRepeatedLinkInABigStarIsAccepted) {
  LinkList links{{1, 2}};
  for (int j = 2; j <= 151; ++j) links.emplace_back(1, j);
  World w(links);
  EXPECT_EQ(w.rec.links.link_count, 151);
  EXPECT_EQ(find_statistic_overflow(w.rec).type, 0);
}

// A triangle whose six links are each given c times: type 14, which gathers five scans, reaches
// 5 c^2 while type 6 stays at 3 c^2. c = 80 fits (32000); c = 81 does not (32805), and the check
// names type 14 although type 6 (19683) fits.
LinkList reciprocated_triangle(int copies) {
  LinkList links;
  for (const auto& pair : LinkList{{1, 2}, {1, 3}, {2, 1}, {2, 3}, {3, 1}, {3, 2}}) {
    links.insert(links.end(), static_cast<std::size_t>(copies), pair);
  }
  return links;
}

TEST(StatisticRange, ReciprocatedTriadsAreCheckedToo) {
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
