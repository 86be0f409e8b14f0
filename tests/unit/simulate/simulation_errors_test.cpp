// Simulation-based standard errors: for a dyad-independent model the pseudo-likelihood is the
// likelihood, so Godambe and bootstrap errors must agree with the naive ones within Monte Carlo
// error; and every figure is the same for any number of threads.
#include "simulate/simulation_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "model/blocking.h"
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
    fitted.model = test::model_choice({{ConfigurationType::edges, {}},
                                       {ConfigurationType::covariate, {}},
                                       {ConfigurationType::edges, {1}}},
                                      1);
    fitted.fit();
  }
};

bool same_bits(const ParamMatrix& a, const ParamMatrix& b) {
  const auto entries = static_cast<std::size_t>(a.order()) * static_cast<std::size_t>(a.order());
  return a.order() == b.order() &&
         (entries == 0 || std::memcmp(a.column(1), b.column(1), entries * sizeof(double)) == 0);
}

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
    const SimulationErrors e =
        simulation_errors(method, d.fitted.data(), d.fitted.result, 400, settings(2));
    ASSERT_FALSE(e.degenerate());
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

// One replicate gives no covariance: the errors stay the naive ones, and the result says so.
TEST(SimulationErrors, FewerThanTwoReplicatesGiveNoSimulatedErrors) {
  const DyadIndependent d;
  for (ErrorMethod method : {ErrorMethod::godambe, ErrorMethod::bootstrap}) {
    const SimulationErrors e =
        simulation_errors(method, d.fitted.data(), d.fitted.result, 1, settings(1));
    EXPECT_TRUE(e.too_few_replicates);
    EXPECT_EQ(e.errors.method, "naive");
    EXPECT_TRUE(same_bits(e.errors.covariance, d.fitted.result.covariance));
  }
}

// Both methods from one sample on one thread agree bit for bit with each method alone on two.
TEST(SimulationErrors, SeveralMethodsFromOneSampleEqualEachAloneOnAnyThreads) {
  const DyadIndependent d;
  const std::vector<SimulationErrors> both =
      simulation_errors({ErrorMethod::godambe, ErrorMethod::bootstrap}, d.fitted.data(),
                        d.fitted.result, 40, settings(1));
  ASSERT_EQ(both.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    const SimulationErrors alone =
        simulation_errors(k == 0 ? ErrorMethod::godambe : ErrorMethod::bootstrap, d.fitted.data(),
                          d.fitted.result, 40, settings(2));
    SCOPED_TRACE(alone.errors.method);
    EXPECT_FALSE(both[k].too_few_replicates);
    EXPECT_EQ(both[k].errors.method, alone.errors.method);
    EXPECT_TRUE(same_bits(both[k].errors.covariance, alone.errors.covariance));
    EXPECT_EQ(both[k].errors.lower, alone.errors.lower);
    EXPECT_EQ(both[k].errors.description, alone.errors.description);
    EXPECT_EQ(both[k].failed_refits, alone.failed_refits);
    EXPECT_EQ(both[k].sample.statistics, alone.sample.statistics);
  }
}

}  // namespace
}  // namespace tarn
