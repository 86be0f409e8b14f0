// The networks simulate draws of a model of counts are handed back with their counts (front ends
// make graphs of them), each the network its statistics were counted on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tarnwick/tarnwick.h"

namespace {

tarnwick::Network counted(bool directed) {
  const std::vector<std::string> nodes = {"a", "b", "c", "d", "e"};
  const std::vector<int> senders = {0, 1, 2, 3, 4, 0};
  const std::vector<int> receivers = {1, 2, 3, 4, 0, 2};
  const std::vector<int> counts = {3, 1, 2, 5, 1, 0};
  // The links are the dyads of a count above 0 (the last, 0, is none).
  const tarnwick::Network links = tarnwick::network_from_links(
      nodes, std::vector<int>(senders.begin(), senders.end() - 1),
      std::vector<int>(receivers.begin(), receivers.end() - 1), directed);
  return tarnwick::with_counts(links, "calls", senders, receivers, counts, "Poisson");
}

TEST(SimulatedCounts, TheNetworksDrawnKeepTheirCounts) {
  for (const bool directed : {true, false}) {
    const tarnwick::Model model = tarnwick::build_model(counted(directed), "sum + nonzero");
    tarnwick::SimulateSettings settings;
    settings.coefficients = {0.3, -0.4};
    settings.networks = 7;
    settings.seed = 5;
    settings.threads = 1;
    const tarnwick::SimulationResult result = tarnwick::simulate(model, settings);
    ASSERT_EQ(result.networks.size(), 7U) << directed;
    for (std::size_t k = 0; k < result.networks.size(); ++k) {
      const tarnwick::Network& drawn = result.networks[k];
      ASSERT_TRUE(drawn.valued());
      EXPECT_EQ(drawn.response(), "calls");
      EXPECT_EQ(drawn.directed(), directed);
      double sum = 0;
      std::vector<std::pair<int, int>> pairs;
      for (const tarnwick::Network::Count& c : drawn.counts()) {
        EXPECT_GT(c.value, 0);
        sum += c.value;
        pairs.emplace_back(c.sender, c.receiver);
      }
      std::vector<std::pair<int, int>> links = drawn.links();
      std::sort(pairs.begin(), pairs.end());
      std::sort(links.begin(), links.end());
      EXPECT_EQ(pairs, links) << "the links are the dyads of a count above 0";
      EXPECT_EQ(sum, result.sample.statistics[k][0]);
      EXPECT_EQ(double(drawn.link_count()), result.sample.statistics[k][1]);
      // The network handed back has the statistics it was drawn with.
      const auto again = tarnwick::summary(drawn, "sum + nonzero");
      EXPECT_EQ(again[0].value, sum);
      EXPECT_EQ(again[1].value, double(drawn.link_count()));
    }
  }
}

TEST(SimulatedCounts, APairGivenTwiceTakesOneCount) {
  const tarnwick::Network links =
      tarnwick::network_from_links({"a", "b", "c"}, std::vector<int>{0}, std::vector<int>{1}, true);
  EXPECT_THROW(tarnwick::with_counts(links, "n", {0, 0}, {1, 1}, {2, 3}), tarnwick::ArgumentError);
  EXPECT_EQ(tarnwick::with_counts(links, "n", {0, 0}, {1, 1}, {2, 2}).counts().size(), 1U);
}

}  // namespace
