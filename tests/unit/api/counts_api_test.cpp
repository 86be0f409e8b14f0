// Networks of counts built from arrays through the library (with_counts, with_reference): the
// exact fit of a dyad-independent binomial model against its closed form, the counts given back
// as given, and arrays that do not make a network of counts refused.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tarnwick/tarnwick.h"

namespace {

struct Arrays {
  std::vector<std::string> nodes = {"a", "b", "c", "d", "e"};
  std::vector<int> senders = {0, 1, 0, 2, 3, 4, 1};
  std::vector<int> receivers = {1, 0, 2, 3, 2, 0, 4};
  std::vector<int> counts = {2, 1, 2, 1, 2, 1, 1};
};

tarnwick::Network counts_network(const Arrays& a, const std::string& reference) {
  const tarnwick::Network links =
      tarnwick::network_from_links(a.nodes, a.senders, a.receivers, true);
  return tarnwick::with_counts(links, "meetings", a.senders, a.receivers, a.counts, reference);
}

// Under Binomial(trials=2) the model `sum` makes every dyad binomial(2, p): the MLE of its
// coefficient is logit(p) for p the mean count over 2, its error 1 / sqrt(2 D p (1 - p)).
TEST(CountsApi, TheExactBinomialFitIsTheLogitOfTheMeanShare) {
  const Arrays a;
  const tarnwick::Network net = counts_network(a, "Binomial(trials=2)");
  ASSERT_TRUE(net.valued());
  EXPECT_EQ(net.response(), "meetings");
  const auto given_back = net.counts();
  ASSERT_EQ(given_back.size(), a.counts.size());
  double total = 0;
  for (const auto& c : given_back) total += c.value;
  const double dyads = 5 * 4, p = total / (2 * dyads);
  tarnwick::FitSettings settings;
  settings.method = "mcmle";
  const tarnwick::Estimate fit = tarnwick::fit(net, "sum", settings);
  ASSERT_TRUE(fit.converged) << fit.outcome;
  EXPECT_NEAR(fit.coefficients[0].estimate, std::log(p / (1 - p)), 1e-9);
  EXPECT_NEAR(fit.coefficients[0].std_error, 1 / std::sqrt(2 * dyads * p * (1 - p)), 1e-9);
  EXPECT_EQ(fit.network.reference, "Binomial(trials=2)");
  // Another reference on the same counts: Poisson's MLE is the log of the mean count.
  const tarnwick::Estimate poisson =
      tarnwick::fit(tarnwick::with_reference(net, "Poisson"), "sum", settings);
  EXPECT_NEAR(poisson.coefficients[0].estimate, std::log(total / dyads), 1e-9);
}

TEST(CountsApi, ArraysThatMakeNoNetworkOfCountsAreRefused) {
  const Arrays good;
  const tarnwick::Network links =
      tarnwick::network_from_links(good.nodes, good.senders, good.receivers, true);
  struct Case {
    const char* name;
    std::vector<int> senders, receivers, counts;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"lengths", {0, 1}, {1, 0}, {2}, "differ in length"},
      {"a negative count", good.senders, good.receivers, {2, 1, 2, 1, 2, 1, -1}, "is negative"},
      {"a link without a count", {0}, {1}, {2}, "has no count above 0"},
      {"a count that is no link",
       {0, 1, 0, 2, 3, 4, 1, 3},
       {1, 0, 2, 3, 2, 0, 4, 4},
       {2, 1, 2, 1, 2, 1, 1, 5},
       "a count above 0 must be a link"},
      {"a self-pair", {0}, {0}, {1}, "self-pair"},
      {"a node out of range", {0}, {9}, {1}, "not a position among 5 nodes"},
  };
  for (const Case& c : cases) {
    try {
      tarnwick::with_counts(links, "meetings", c.senders, c.receivers, c.counts);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const tarnwick::ArgumentError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
  EXPECT_THROW(tarnwick::with_reference(links, "Poisson"), tarnwick::ArgumentError);
}

}  // namespace
