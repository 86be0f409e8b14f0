// The exact binomial sampler against the binomial probabilities themselves: every count's
// frequency over many draws near its probability (for inversion, for BTRD near its mode, where it
// evaluates the ratio of probabilities, and in its tails, where it uses the squeeze and Stirling's
// series), and the mean and variance at 10^12 trials; the portable logarithm against the
// platform's.
#include "simulate/binomial_draw.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/portable_exp.h"

namespace tarn {
namespace {

TEST(PortableLog, AgreesWithThePlatformsToTheLastBitsOrSo) {
  for (double x = 1e-300; x < 1e300; x *= 1.37) {
    EXPECT_NEAR(portable_log(x), std::log(x), 4.5e-16 * std::fabs(std::log(x))) << x;  // 2 ulps
  }
  for (double x = 0.5; x < 2.0; x += 0.0013) {
    EXPECT_NEAR(portable_log(x), std::log(x), 3e-16) << x;
  }
  for (const double x :
       {-0.9, -0.5, -1e-3, -1.5e-4, -1e-5, -3e-12, 1e-12, 1e-6, 5e-5, 2e-4, 0.1, 1.0, 9.0}) {
    EXPECT_NEAR(portable_log1p(x), std::log1p(x), 1e-15 * std::fabs(std::log1p(x))) << x;
  }
  EXPECT_TRUE(std::isnan(portable_log(-1.0)));
}

double binomial_probability(std::int64_t n, double p, std::int64_t k) {
  const double log_choose = std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0);
  return std::exp(log_choose + k * std::log(p) + (n - k) * std::log1p(-p));
}

// Every count's frequency within 5 standard deviations of its expected number, and the counts
// of too small a probability to test pooled into one.
void expect_binomial_frequencies(std::int64_t n, double p, int draws, std::uint64_t seed) {
  RandomStream random(seed, 0);
  std::vector<double> seen(static_cast<std::size_t>(n) + 1, 0.0);
  for (int d = 0; d < draws; ++d) {
    const std::int64_t k = binomial_draw(random, n, p);
    ASSERT_GE(k, 0);
    ASSERT_LE(k, n);
    seen[static_cast<std::size_t>(k)] += 1.0;
  }
  double rare_seen = 0.0, rare_expected = 0.0;
  for (std::int64_t k = 0; k <= n; ++k) {
    const double expected = draws * binomial_probability(n, p, k);
    if (expected < 5.0) {
      rare_seen += seen[std::size_t(k)];
      rare_expected += expected;
      continue;
    }
    EXPECT_NEAR(seen[std::size_t(k)], expected, 5.0 * std::sqrt(expected) + 1.0)
        << "n " << n << " p " << p << " k " << k;
  }
  EXPECT_NEAR(rare_seen, rare_expected, 5.0 * std::sqrt(rare_expected) + 2.0) << n << " " << p;
}

TEST(BinomialDraw, EveryCountAsOftenAsItsProbability) {
  expect_binomial_frequencies(20, 0.1, 200000, 1);         // inversion
  expect_binomial_frequencies(30, 0.45, 200000, 2);        // BTRD near its mode
  expect_binomial_frequencies(60, 0.8, 200000, 3);         // p above 1/2: the failures drawn
  expect_binomial_frequencies(2000, 0.4, 400000, 4);       // BTRD's squeeze and tails
  expect_binomial_frequencies(100000, 0.0003, 200000, 5);  // mean 30
}

TEST(BinomialDraw, MeanAndVarianceAtATrillionTrials) {
  for (const double p : {3e-12, 2e-9, 1e-5, 0.3, 0.999999}) {
    const std::int64_t n = 1000000000000;
    RandomStream random(7, 0);
    const int draws = 40000;
    const double exact_mean = n * p, exact_variance = n * p * (1.0 - p);
    double sum = 0.0, square = 0.0;  // of the distances from the exact mean
    for (int d = 0; d < draws; ++d) {
      const double k = static_cast<double>(binomial_draw(random, n, p)) - exact_mean;
      sum += k;
      square += k * k;
    }
    const double mean = exact_mean + sum / draws, variance = square / draws;
    EXPECT_NEAR(mean, exact_mean, 5.0 * std::sqrt(exact_variance / draws)) << p;
    EXPECT_NEAR(variance / exact_variance, 1.0, 5.0 * std::sqrt(2.0 / draws)) << p;
  }
}

TEST(BinomialDraw, EdgesOfTheRange) {
  RandomStream random(1, 0);
  EXPECT_EQ(binomial_draw(random, 0, 0.5), 0);
  EXPECT_EQ(binomial_draw(random, 17, 0.0), 0);
  EXPECT_EQ(binomial_draw(random, 17, 1.0), 17);
}

TEST(MultinomialDraw, TakesEveryTrialWithEachCategorysMean) {
  const std::vector<double> p = {1e-7, 0.2, 0.0, 0.3, 0.5 - 1e-7};
  const std::int64_t n = 300000000;
  RandomStream random(3, 0);
  std::vector<double> sum(p.size(), 0.0);
  const int draws = 4000;
  for (int d = 0; d < draws; ++d) {
    const std::vector<std::int64_t> counts = multinomial_draw(random, n, p);
    std::int64_t total = 0;
    for (std::size_t c = 0; c < p.size(); ++c) {
      total += counts[c];
      sum[c] += static_cast<double>(counts[c]);
    }
    ASSERT_EQ(total, n);
    ASSERT_EQ(counts[2], 0);
  }
  for (std::size_t c = 0; c < p.size(); ++c) {
    EXPECT_NEAR(sum[c] / draws, n * p[c], 5.0 * std::sqrt(n * p[c] * (1 - p[c]) / draws) + 1e-9)
        << c;
  }
}

}  // namespace
}  // namespace tarn
