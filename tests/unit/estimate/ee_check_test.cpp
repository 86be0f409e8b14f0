// The check of an equilibrium-expectation estimate on a network of 5 nodes, where the exact
// maximum-likelihood estimate and its inverse Fisher information follow from every network:
// networks drawn at the exact estimate (by chains, and exactly) reproduce the observed
// statistics and give its standard errors; at an estimate a few standard errors away they do not.
#include "estimate/ee_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/model.h"
#include "support/exact_networks.h"
#include "support/networks.h"

namespace tarn {
namespace {

const test::LinkList five = {{1, 2}, {1, 3}, {2, 1}, {2, 3}, {2, 5},
                             {3, 4}, {4, 3}, {4, 5}, {5, 1}};

Study study_of(const std::string& formula) {
  TermContext context;
  context.node_count = 5;
  Study study;
  study.network = test::network_of(five);
  study.model = model_of_formula(formula, context);
  return study;
}

struct ExactFit {
  Vector estimate;
  Matrix inverse_information;
};

ExactFit exact_mle(const Study& study) {
  const auto classes = test::every_network(study.model, 5);
  const Vector observed = study.model.network_statistics(study.graph());
  Vector eta(observed.size(), 0.0);
  for (int step = 0; step < 50; ++step) {
    const test::ExactMoments m = test::exact_moments(classes, eta);
    const Matrix inverse = symmetric_inverse(m.covariance).value();
    for (std::size_t a = 0; a < eta.size(); ++a)
      for (std::size_t b = 0; b < eta.size(); ++b)
        eta[a] += inverse(int(a), int(b)) * (observed[b] - m.mean[b]);
  }
  return {eta, symmetric_inverse(test::exact_moments(classes, eta).covariance).value()};
}

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
  const Study study = study_of("edges + mutual");
  const ExactFit exact = exact_mle(study);
  McmleControl control;
  for (const int chains_up_to : {max_nodes, 0}) {
    SCOPED_TRACE(chains_up_to == 0 ? "exact draws" : "chains");
    const EeCheck check = check_ee_estimate(study, exact.estimate, chains(), control, chains_up_to);
    EXPECT_EQ(check.exact_draws, chains_up_to == 0);
    ASSERT_TRUE(check.passed());
    EXPECT_GE(check.sample.size(), std::size_t(control.sample_size / 4));
    for (int k = 0; k < 2; ++k) {
      const double exact_error = std::sqrt(exact.inverse_information(k, k));
      // The inverse of the sample's covariance, and the errors that add the Monte Carlo share.
      EXPECT_NEAR(std::sqrt(check.errors.fisher_inverse(k, k)) / exact_error, 1.0, 0.1) << k;
      EXPECT_GE(check.errors.covariance(k, k), check.errors.fisher_inverse(k, k));
      EXPECT_LT(std::fabs(check.check.t_ratio[std::size_t(k)]),
                0.1 + check.check.allowance[std::size_t(k)]);
    }
  }
}

TEST(EeCheck, FailsAwayFromTheEstimate) {
  const Study study = study_of("edges + mutual");
  const ExactFit exact = exact_mle(study);
  Vector away = exact.estimate;
  away[0] += 3.0 * std::sqrt(exact.inverse_information(0, 0));
  McmleControl control;
  for (const int chains_up_to : {max_nodes, 0}) {
    const EeCheck check = check_ee_estimate(study, away, chains(), control, chains_up_to);
    EXPECT_FALSE(check.passed()) << chains_up_to;
    EXPECT_FALSE(check.check.passed) << chains_up_to;
  }
}

TEST(EeCheck, ExactDrawsAreTheSameForASeedAndDifferForAnother) {
  const Study study = study_of("edges + mutual");
  const ExactFit exact = exact_mle(study);
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
