// Simulation-based standard errors: for a dyad-independent model the pseudo-likelihood is the
// likelihood, so Godambe and bootstrap errors must agree with the naive ones within Monte Carlo
// error; and every figure is the same for any number of threads.
#include "simulate/simulation_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "support/brute_force.h"
#include "support/fits.h"

namespace tarn {
namespace {

// Edges, the block edges of two blocks and a 0/1 covariate on a network of 40 nodes.
struct DyadIndependent {
  test::Fitted fitted;
  DyadIndependent() {
    const int n = 40;
    fitted.network = test::network_of(test::random_network(n, 0.12, 0.0, 9));
    NodeAttributes attributes;
    for (int i = 1; i <= n; ++i) attributes.value[0][std::size_t(i - 1)] = std::int16_t(1 + i % 2);
    const Blocking blocking = Blocking::identity(1, 2);
    fitted.blocks = dyad_blocks(blocking, attributes, n);
    std::vector<std::array<int, 3>> records;
    std::mt19937 random(3);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j)
        if (i != j && random() % 4 == 0) records.push_back({i, j, 1});
    fitted.comparative = test::comparative_of(n, records);
    fitted.model = build_model({{ConfigurationType::edges, {}},
                                {ConfigurationType::covariate, {}},
                                {ConfigurationType::edges, {1}}},
                               1);
    fitted.fit();
  }
};

SamplerSettings settings(int threads) {
  SamplerSettings s = default_sampler_settings(200, 1560);
  s.seed = 11;
  s.threads = threads;
  return s;
}

TEST(SimulationErrors, DyadIndependentModelAgreesWithTheNaiveErrors) {
  const DyadIndependent d;
  ASSERT_EQ(d.fitted.result.end, FitEnd::completed);
  for (ErrorMethod method : {ErrorMethod::godambe, ErrorMethod::bootstrap}) {
    const SimulationErrors e = simulation_errors(method, d.fitted.data(), d.fitted.result, 400, settings(2));
    ASSERT_FALSE(e.sample.degeneracy.found);
    EXPECT_EQ(e.failed_refits, 0);
    for (int p = 1; p <= 3; ++p) {
      const double naive = std::sqrt(d.fitted.result.covariance(p, p));
      const double simulated = std::sqrt(e.errors.covariance(p, p));
      // 400 draws give the standard deviation to about 3.5%; allow four times that.
      EXPECT_NEAR(simulated / naive, 1.0, 0.15) << e.errors.method << " parameter " << p;
    }
    if (method == ErrorMethod::bootstrap) {
      for (int p = 1; p <= 3; ++p) {
        EXPECT_LT(e.errors.lower[std::size_t(p - 1)], d.fitted.result.estimate(p));
        EXPECT_GT(e.errors.upper[std::size_t(p - 1)], d.fitted.result.estimate(p));
      }
    }
  }
}

TEST(SimulationErrors, SameSeedSameErrorsForOneOrTwoThreads) {
  const DyadIndependent d;
  for (ErrorMethod method : {ErrorMethod::godambe, ErrorMethod::bootstrap}) {
    const SimulationErrors one = simulation_errors(method, d.fitted.data(), d.fitted.result, 40, settings(1));
    const SimulationErrors two = simulation_errors(method, d.fitted.data(), d.fitted.result, 40, settings(2));
    EXPECT_EQ(std::memcmp(&one.errors.covariance, &two.errors.covariance, sizeof(ParamMatrix)), 0);
    EXPECT_EQ(one.sample.statistics, two.sample.statistics);
    EXPECT_EQ(one.errors.lower, two.errors.lower);
  }
}

TEST(SimulationErrors, QuantilesAreRsDefault) {
  const std::vector<double> values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_DOUBLE_EQ(quantile(values, 0.025), 1.225);  // quantile(1:10, 0.025) in R
  EXPECT_DOUBLE_EQ(quantile(values, 0.975), 9.775);
  EXPECT_DOUBLE_EQ(quantile({4.0}, 0.975), 4.0);
}

}  // namespace
}  // namespace tarn
