// The steps of equilibrium expectation: the spread and memory measured on a chain's draws, and
// the Newton matrix made from them.
#include "ee/newton_steps.h"

#include <gtest/gtest.h>

#include <cmath>

#include "simulate/random_stream.h"

namespace tarn {
namespace {

constexpr double pi = 3.14159265358979323846;

double standard_normal(RandomStream& random) {
  const double u = 1.0 - random.unit(), v = random.unit();
  return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * pi * v);
}

// Two statistics: an autoregression of correlation `r` (autocorrelation time (1 + r) / (1 - r),
// variance 1 / (1 - r^2)), and that plus an independent one of variance 1; both drift by
// `trend` per draw.
std::vector<Vector> autoregression(int draws, double r, double trend, std::uint64_t seed) {
  RandomStream random(seed, 0);
  std::vector<Vector> out;
  double a = 0.0;
  for (int t = 0; t < draws; ++t) {
    a = r * a + standard_normal(random);
    out.push_back({a + trend * t, a + standard_normal(random) + trend * t});
  }
  return out;
}

TEST(NewtonSteps, TheSpreadAndMemoryOfAChainThatStillDrifts) {
  const double r = 0.8, time = (1 + r) / (1 - r), variance = 1 / (1 - r * r);
  for (const double trend : {0.0, 0.01}) {
    SCOPED_TRACE(trend);
    const StatisticSpread spread = measured_spread(autoregression(20000, r, trend, 3), {0, 0});
    EXPECT_NEAR(spread.autocorrelation_updates, time, 0.2 * time);
    EXPECT_NEAR(spread.variances[0], variance, 0.1 * variance);
    EXPECT_NEAR(spread.variances[1], variance + 1, 0.1 * (variance + 1));
    // The steps are the inverse covariance: [[v + 1, -v], [-v, v]] / v.
    EXPECT_NEAR(spread.steps(0, 0), (variance + 1) / variance, 0.15);
    EXPECT_NEAR(spread.steps(0, 1), -1.0, 0.15);
    EXPECT_NEAR(spread.steps(1, 1), 1.0, 0.15);
  }
  // A trend of 0.01 per draw moves 200 over the draws, the spread 100 times what it is: left
  // in, it would read as a statistic that never forgets.
}

TEST(NewtonSteps, StatisticsThatDoNotVaryOrMoveTogether) {
  // The second statistic does not vary: variance 1, no covariance, a step of the gap itself.
  Matrix covariance(2, 2);
  covariance(0, 0) = 4.0;
  StatisticSpread spread = exact_spread(covariance, {10.0, 3.0});
  EXPECT_DOUBLE_EQ(spread.variances[1], 1.0);
  EXPECT_NEAR(spread.steps(0, 0), 0.25, 1e-12);
  EXPECT_NEAR(spread.steps(1, 1), 1.0, 1e-12);
  EXPECT_NEAR(spread.steps(0, 1), 0.0, 1e-12);
  // Two statistics that move as one: the diagonal's inverse.
  covariance(1, 1) = covariance(0, 1) = covariance(1, 0) = 4.0;
  spread = exact_spread(covariance, {10.0, 10.0});
  EXPECT_NEAR(spread.steps(0, 0), 0.25, 1e-12);
  EXPECT_NEAR(spread.steps(1, 1), 0.25, 1e-12);
  EXPECT_NEAR(spread.steps(0, 1), 0.0, 1e-12);

  Vector theta = {1.0, 2.0};
  newton_step(spread.steps, 0.5, {10.0, 10.0}, {6.0, 12.0}, theta);
  EXPECT_NEAR(theta[0], 1.0 + 0.5 * 0.25 * 4.0, 1e-12);
  EXPECT_NEAR(theta[1], 2.0 - 0.5 * 0.25 * 2.0, 1e-12);
}

}  // namespace
}  // namespace tarn
