// Repeated links: the statistics that pass 16 bits are found, and the first of them is named.
#include "kernel/statistic_range.h"

#include <gtest/gtest.h>

#include <string>

#include "network/fatal_error.h"
#include "kernel/link_store_graph.h"
#include "support/brute_force.h"
#include "support/models.h"
#include "support/networks.h"
#include "terms/change_statistics.h"

namespace tarn {
namespace {

using test::LinkList;

// Node 1 sends `copies` links to each of nodes 2..k+1, and each of them sends `copies` links to
// node 2: two-paths 1->m->2 by the thousand.
LinkList copied_star(int k, int copies) {
  LinkList links;
  for (int m = 2; m <= k + 1; ++m)
    for (int c = 0; c < copies; ++c) links.emplace_back(1, m);
  for (int m = 3; m <= k + 1; ++m)
    for (int c = 0; c < copies; ++c) links.emplace_back(m, 2);
  std::stable_sort(links.begin(), links.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return links;
}

TEST(StatisticRange, FirstOverflowFoundAndNamed) {
  // 1 -> m repeated 200 times and m -> 2 repeated 200 times for 2 <= m <= 3: type 6 of 1 -> 2
  // counts 200 * 200 two-paths through node 3 = 40000.
  const Network net = test::network_of(copied_star(2, 200));
  const StatisticOverflow found = find_statistic_overflow(net);
  EXPECT_EQ(found.type, 6);
  EXPECT_EQ(found.sender, 1);
  EXPECT_EQ(found.receiver, 2);
  const LinkStoreGraph graph(net);
  EXPECT_EQ(found.value, change_statistic(ConfigurationType::transitive_triad, graph, 1, 2));
  EXPECT_GT(found.value, 32767);
  try {
    check_statistic_range(net, "Network file \"x.dat\"");
    ADD_FAILURE() << "accepted";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("type 6 for the dyad 1 -> 2 equal to"), std::string::npos)
        << e.what();
  }
}

// The bound never falls below the value, for every type and dyad of random networks with links
// given twice or three times and self-links; and it is no bound of everything (it is tight for
// the degrees).
TEST(StatisticRange, BoundOfEveryTypeHoldsOnRepeatedLinks) {
  for (unsigned seed : {3u, 4u, 5u}) {
    const int n = 9;
    LinkList links;
    for (const auto& link : test::random_network(n, 0.4, 0.5, seed, 0.2)) {
      for (unsigned c = 0; c <= (seed + unsigned(link.first * link.second)) % 3; ++c)
        links.push_back(link);
    }
    const Network net = test::network_of(links);
    ASSERT_TRUE(net.has_repeated_links);
    const LinkStoreGraph graph(net);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        for (int t = 2; t <= 15; ++t) {
          const std::int64_t value =
              change_statistic(static_cast<ConfigurationType>(t), graph, i, j);
          EXPECT_GE(statistic_bound(t, net, i, j), value)
              << "type " << t << " dyad " << i << "->" << j << " seed " << seed;
        }
        EXPECT_EQ(statistic_bound(3, net, i, j), net.out(i));
      }
    }
  }
}

TEST(StatisticRange, LargeButFittingStatisticsPass) {
  // 150 copies: 22500 two-paths fit, as do the degrees.
  EXPECT_EQ(find_statistic_overflow(test::network_of(copied_star(2, 150))).type, 0);
  // Without repeated links nothing is checked.
  EXPECT_NO_THROW(check_statistic_range(test::network_of({{1, 2}, {2, 1}}), "x"));
}

}  // namespace
}  // namespace tarn
