// The convergence test of maximum likelihood by MCMC against its null distribution: chains of
// autocorrelated statistics simulated with a known mean (a vector autoregression: correlated
// innovations, each statistic with an autocorrelation of its own), tested against that mean. At
// the 1% level it must reject 1% of them, within Monte Carlo error; an estimate that is a step
// from an earlier sample is tested with that sample's error too, and must not be rejected more
// often for it; and a mean half a standard deviation off is found.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "mcmle/sample_moments.h"
#include "simulate/random_stream.h"

namespace tarn {
namespace {

// A standard normal number (Box-Muller), the same on every machine.
double normal(RandomStream& random) {
  const double u = 1.0 - random.unit(), v = random.unit();
  return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
}

// Networks of `chains` chains of `length`, each statistic an AR(1) of correlation rho^(1 + s % 3)
// about `mean`, the innovations sharing a common part (correlation 0.49 between statistics).
std::vector<Vector> chains_of(RandomStream& random, int statistics, int chains, int length,
                              double rho, const Vector& mean) {
  const auto z = [&random] { return normal(random); };
  std::vector<Vector> x(std::size_t(chains * length), Vector(std::size_t(statistics)));
  for (int c = 0; c < chains; ++c) {
    Vector state(static_cast<std::size_t>(statistics));
    for (double& v : state) v = z();
    for (int t = 0; t < length; ++t) {
      const double shared = z();
      for (int s = 0; s < statistics; ++s) {
        const double r = std::pow(rho, 1 + s % 3);
        double& v = state[std::size_t(s)];
        v = r * v + std::sqrt(1 - r * r) * (0.7 * shared + std::sqrt(0.51) * z());
        x[std::size_t(c + t * chains)][std::size_t(s)] = mean[std::size_t(s)] + v;
      }
    }
  }
  return x;
}

// Binomial Monte Carlo error of a rejection rate over `runs`, three times.
double allowance(double level, int runs) {
  return 3.0 * std::sqrt(level * (1 - level) / runs);
}

TEST(HotellingTest, RejectsAtItsLevelWhenTheMeanIsTheObservedStatistics) {
  RandomStream random(1, 0);
  const int statistics = 5, runs = 2000;
  const Vector observed(statistics, 3.0);
  int at_1 = 0, at_5 = 0;
  for (int run = 0; run < runs; ++run) {
    const SampleMoments m = sample_moments(chains_of(random, statistics, 8, 128, 0.8, observed), 8);
    const ConvergenceTest test = convergence_test(m, observed);
    at_1 += test.p_value < 0.01 ? 1 : 0;
    at_5 += test.p_value < 0.05 ? 1 : 0;
  }
  EXPECT_NEAR(at_1 / double(runs), 0.01, allowance(0.01, runs));
  EXPECT_NEAR(at_5 / double(runs), 0.05, allowance(0.05, runs));
}

// The estimate a step from an earlier sample misses the maximum-likelihood estimate by that
// sample mean's error: observed = the earlier sample's mean stands for it.
TEST(HotellingTest, AnEstimateWithinItsStepsErrorIsNotRejected) {
  RandomStream random(2, 0);
  const int statistics = 5, runs = 1000;
  const Vector truth(statistics, 0.0);
  int rejected = 0, rejected_without = 0;
  for (int run = 0; run < runs; ++run) {
    const SampleMoments before =
        sample_moments(chains_of(random, statistics, 8, 128, 0.8, truth), 8);
    const SampleMoments now = sample_moments(chains_of(random, statistics, 8, 128, 0.8, truth), 8);
    const StepNoise noise{mean_covariance(before), smallest_effective_size(before)};
    rejected += convergence_test(now, before.mean, &noise).p_value < 0.01 ? 1 : 0;
    rejected_without += convergence_test(now, before.mean).p_value < 0.01 ? 1 : 0;
  }
  EXPECT_LE(rejected / double(runs), 0.01 + allowance(0.01, runs));
  // Without the step's error the test asks too much of such an estimate: that is why it is there.
  EXPECT_GT(rejected_without / double(runs), 0.05);
}

TEST(HotellingTest, FindsAMeanHalfAStandardDeviationOff) {
  RandomStream random(3, 0);
  const int statistics = 5, runs = 200;
  const Vector truth(statistics, 0.0), observed(statistics, 0.5);
  int rejected = 0;
  double largest_t = 0.0;
  for (int run = 0; run < runs; ++run) {
    const SampleMoments m = sample_moments(chains_of(random, statistics, 8, 128, 0.8, truth), 8);
    const ConvergenceTest test = convergence_test(m, observed);
    rejected += test.p_value < 0.01 ? 1 : 0;
    largest_t = std::max(largest_t, test.max_abs_t);
  }
  EXPECT_GT(rejected / double(runs), 0.95);
  EXPECT_GT(largest_t, 0.3);
}

// The long-run covariance of an AR(1) statistic is its variance times (1 + r) / (1 - r).
TEST(HotellingTest, TheLongRunVarianceOfAnAutoregressionIsItsOwn) {
  RandomStream random(4, 0);
  const double r = 0.8;  // statistic 0's correlation
  const SampleMoments m = sample_moments(chains_of(random, 1, 8, 4096, r, {0.0}), 8);
  EXPECT_NEAR(m.long_run_covariance(0, 0) / m.covariance(0, 0), (1 + r) / (1 - r), 0.1 * 9.0);
  EXPECT_NEAR(m.autocorrelation_time[0], (1 + r) / (1 - r), 0.1 * 9.0);
}

// Sums kept along a chain round in their last bits: a statistic that no network changes is a
// statistic that does not vary, and a mean equal to the observed value but for that rounding is
// equal.
TEST(HotellingTest, RoundingIsNoVariation) {
  std::vector<Vector> x;
  for (int k = 0; k < 64; ++k) x.push_back({k % 7 * 1.0, 91.76 + (k % 2) * 1e-13});
  const SampleMoments m = sample_moments(x, 8);
  EXPECT_GT(m.sd[0], 0.0);
  EXPECT_EQ(m.sd[1], 0.0);
  const ConvergenceTest test = convergence_test(m, {m.mean[0], 91.76});
  EXPECT_EQ(test.t_ratio[1], 0.0);
  EXPECT_GT(test.p_value, 0.5);
}

}  // namespace
}  // namespace tarn
