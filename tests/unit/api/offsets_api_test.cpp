// Offsets through the library: FitSettings::offset_coef holds offset(term)'s coefficients; the
// Bernoulli model edges + offset(edges) has its free coefficient, errors and log-likelihood in
// closed form, and AIC counts the one free parameter.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tarnwick/errors.h"
#include "tarnwick/fit.h"
#include "tarnwick/network.h"

namespace {

tarnwick::Network random_network(int& links) {
  std::mt19937_64 random(11);
  std::vector<std::string> nodes, senders, receivers;
  for (int i = 0; i < 20; ++i) nodes.push_back("n" + std::to_string(i));
  links = 0;
  for (int i = 0; i < 20; ++i) {
    for (int j = 0; j < 20; ++j) {
      if (i != j && random() % 6 == 0) {
        senders.push_back(nodes[std::size_t(i)]);
        receivers.push_back(nodes[std::size_t(j)]);
        ++links;
      }
    }
  }
  return tarnwick::network_from_links(nodes, senders, receivers, true);
}

TEST(OffsetsApi, TheFreeCoefficientOfEdgesPlusAnOffsetOfEdgesIsExact) {
  int links = 0;
  const tarnwick::Network net = random_network(links);
  const double dyads = 20.0 * 19.0, p = links / dyads;
  const double ll = links * std::log(p) + (dyads - links) * std::log(1 - p);
  for (const char* method : {"mple", "mcmle", "ee"}) {
    SCOPED_TRACE(method);
    tarnwick::FitSettings settings;
    settings.method = method;
    settings.offset_coef = {-1.0};
    const tarnwick::Estimate e = tarnwick::fit(net, "edges + offset(edges)", settings);
    ASSERT_TRUE(e.converged) << e.outcome;
    ASSERT_EQ(e.coefficients.size(), 2u);
    EXPECT_FALSE(e.coefficients[0].offset);
    EXPECT_TRUE(e.coefficients[1].offset);
    EXPECT_EQ(e.coefficients[1].name, "offset(edges)");
    EXPECT_NEAR(e.coefficients[0].estimate, std::log(p / (1 - p)) + 1.0, 1e-8);
    EXPECT_NEAR(e.coefficients[0].std_error, 1 / std::sqrt(dyads * p * (1 - p)), 1e-8);
    EXPECT_EQ(e.coefficients[1].estimate, -1.0);
    EXPECT_TRUE(std::isnan(e.coefficients[1].std_error));
    ASSERT_TRUE(e.log_likelihood && e.aic && e.bic);
    EXPECT_NEAR(*e.log_likelihood, ll, 1e-8);
    EXPECT_NEAR(*e.aic, -2 * ll + 2, 1e-8);
    EXPECT_NEAR(*e.bic, -2 * ll + std::log(dyads), 1e-8);
  }
}

TEST(OffsetsApi, OffsetsThatDoNotFitTheModelAreArgumentErrors) {
  int links = 0;
  const tarnwick::Network net = random_network(links);
  tarnwick::FitSettings settings;
  EXPECT_THROW(tarnwick::fit(net, "edges + offset(mutual)", settings), tarnwick::ArgumentError);
  settings.offset_coef = {1.0, 2.0};
  try {
    tarnwick::fit(net, "edges + offset(mutual)", settings);
    ADD_FAILURE() << "two values for one offset were taken";
  } catch (const tarnwick::ArgumentError& e) {
    EXPECT_NE(std::string(e.what()).find("offset_coef: 2 values for 1 offset coefficient"),
              std::string::npos)
        << e.what();
  }
  // An estimated decay beside offsets is maximum likelihood's alone.
  settings.offset_coef = {0.5};
  settings.method = "ee";
  EXPECT_THROW(tarnwick::fit(net, "edges + offset(mutual) + gwesp(0.5)", settings),
               tarnwick::ArgumentError);
}

}  // namespace
