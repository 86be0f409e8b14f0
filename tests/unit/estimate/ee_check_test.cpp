// The check of an equilibrium-expectation estimate on a network of 5 nodes, where the exact
// maximum-likelihood estimate and its inverse Fisher information follow from every network:
// networks drawn at the exact estimate (by chains, and exactly) reproduce the observed
// statistics and give its standard errors; at an estimate a few standard errors away they do not.
#include "estimate/ee_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "estimate/sample_warnings.h"
#include "mcmle/mcmle_errors.h"
#include "model/model.h"
#include "support/five_node_study.h"

namespace tarn {
namespace {

SamplerSettings chains() {
  SamplerSettings s;
  s.burnin = 2000;
  s.interval = 1000;
  s.chains = 4;
  s.seed = 3;
  s.threads = 2;
  return s;
}

TEST(EeCheck, PassesAtTheExactEstimateWithItsStandardErrors) {
  const Study study = test::five_node_study("edges + mutual");
  const test::ExactFit exact = test::exact_fit(study);
  McmleControl control;
  for (const int chains_up_to : {max_nodes, 0}) {
    SCOPED_TRACE(chains_up_to == 0 ? "exact draws" : "chains");
    const EeCheck check = check_ee_estimate(study, exact.estimate, chains(), control, chains_up_to);
    EXPECT_EQ(check.exact_draws, chains_up_to == 0);
    ASSERT_TRUE(check.passed());
    EXPECT_GE(check.sample.size(), std::size_t(control.sample_size / 4));
    for (int k = 0; k < 2; ++k) {
      const double exact_error = std::sqrt(exact.inverse_fisher(k, k));
      // The inverse of the sample's covariance, and the errors that add the Monte Carlo share.
      EXPECT_NEAR(std::sqrt(check.errors.fisher_inverse(k, k)) / exact_error, 1.0, 0.1) << k;
      EXPECT_GE(check.errors.covariance(k, k), check.errors.fisher_inverse(k, k));
      EXPECT_LT(std::fabs(check.check.t_ratio[std::size_t(k)]),
                0.1 + check.check.allowance[std::size_t(k)]);
    }
  }
}

// The sample grows until its errors carry at most the Monte Carlo error asked: a loose precision
// stops at the sample size, a strict one draws on (up to four rounds) and gets closer.
TEST(EeCheck, DrawsAsManyNetworksAsTheErrorsPrecisionAsks) {
  const Study study = test::five_node_study("edges + mutual");
  const test::ExactFit exact = test::exact_fit(study);
  McmleControl control;
  control.sample_size = 64;
  control.error_precision = 0.25;
  const EeCheck loose = check_ee_estimate(study, exact.estimate, chains(), control);
  control.error_precision = 0.05;
  const EeCheck strict = check_ee_estimate(study, exact.estimate, chains(), control);
  ASSERT_TRUE(loose.passed() && strict.passed());
  // That of the errors from the spread's smallest effective size, as the check measures it.
  auto precision = [](const EeCheck& c) {
    const Vector& sizes = c.moments.spread_effective_size;
    return error_precision(*std::min_element(sizes.begin(), sizes.end()), 2);
  };
  EXPECT_EQ(loose.sample.size(), 64u);
  EXPECT_LE(precision(loose), 0.25);
  EXPECT_GT(strict.sample.size(), 2 * loose.sample.size());
  EXPECT_LT(precision(strict), 0.5 * precision(loose));
  EXPECT_FALSE(errors_precision_warning(loose.moments, 2, 0.25));
  // A precision the rounds cannot reach is said, with the one reached.
  control.error_precision = 0.01;
  const EeCheck short_of = check_ee_estimate(study, exact.estimate, chains(), control);
  const std::optional<Warning> said = errors_precision_warning(short_of.moments, 2, 0.01);
  ASSERT_TRUE(said);
  EXPECT_EQ(said->code, "errors_less_precise");
  EXPECT_EQ(said->text("asked"), "1");
  EXPECT_GT(std::stod(said->text("reached")), 1.0);
}

TEST(EeCheck, FailsAwayFromTheEstimate) {
  const Study study = test::five_node_study("edges + mutual");
  const test::ExactFit exact = test::exact_fit(study);
  Vector away = exact.estimate;
  away[0] += 3.0 * std::sqrt(exact.inverse_fisher(0, 0));
  McmleControl control;
  for (const int chains_up_to : {max_nodes, 0}) {
    const EeCheck check = check_ee_estimate(study, away, chains(), control, chains_up_to);
    EXPECT_FALSE(check.passed()) << chains_up_to;
    EXPECT_FALSE(check.check.passed) << chains_up_to;
  }
}

// An estimate resting on few effective draws carries their Monte Carlo error: 0.15 standard
// errors off is a miss for a check that takes it as exact as its 1024 draws, not for one that
// knows it rests on 32.
TEST(EeCheck, AllowsForTheEstimatesOwnMonteCarloError) {
  const Study study = test::five_node_study("edges + mutual");
  const test::ExactFit exact = test::exact_fit(study);
  Vector off = exact.estimate;
  off[0] += 0.15 * std::sqrt(exact.inverse_fisher(0, 0));
  McmleControl control;
  EXPECT_FALSE(check_ee_estimate(study, off, chains(), control, 0).passed());
  const EeCheck allowing = check_ee_estimate(study, off, chains(), control, 0, 32.0);
  EXPECT_TRUE(allowing.passed()) << allowing.test.p_value;
  EXPECT_FALSE(check_ee_estimate(study, off, chains(), control, 0, 4096.0).passed());
}

TEST(EeCheck, ExactDrawsAreTheSameForASeedAndDifferForAnother) {
  const Study study = test::five_node_study("edges + mutual");
  const test::ExactFit exact = test::exact_fit(study);
  McmleControl control;
  SamplerSettings settings = chains();
  const EeCheck one = check_ee_estimate(study, exact.estimate, settings, control, 0);
  settings.threads = 1;
  EXPECT_EQ(check_ee_estimate(study, exact.estimate, settings, control, 0).sample, one.sample);
  settings.seed = 4;
  EXPECT_NE(check_ee_estimate(study, exact.estimate, settings, control, 0).sample, one.sample);
}

}  // namespace
}  // namespace tarn
