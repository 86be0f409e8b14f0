// Repeated links: the statistics that pass 16 bits are found, and the first of them is named.
#include "stats/statistic_range.h"

#include <gtest/gtest.h>

#include <string>

#include "network/fatal_error.h"
#include "stats/link_store_graph.h"
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

TEST(StatisticRange, LargeButFittingStatisticsPass) {
  // 150 copies: 22500 two-paths fit, as do the degrees.
  EXPECT_EQ(find_statistic_overflow(test::network_of(copied_star(2, 150))).type, 0);
  // Without repeated links nothing is checked.
  EXPECT_NO_THROW(check_statistic_range(test::network_of({{1, 2}, {2, 1}}), "x"));
}

}  // namespace
}  // namespace tarn
