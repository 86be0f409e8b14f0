// Two-mode networks against exact references: every network of 3 + 4 nodes whose links join the
// modes (2^12) enumerated, the exact MLE found by Newton's method on the exact log-likelihood. A
// dyad-independent model's pseudo-likelihood fit is that MLE itself; maximum likelihood by MCMC
// of a dependent one lies within its Monte Carlo error of it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "estimate/ee_estimator.h"
#include "estimate/estimate.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "model/model.h"
#include "model/sample_space.h"
#include "support/exact_networks.h"
#include "support/networks.h"

namespace tarn {
namespace {

constexpr int first_mode = 3, nodes = 7;

// Actors 1..3 (groups a, b, a), events 4..7; 5 of the 12 dyads linked, the actors' degrees 3, 1
// and 1: 3 two-stars, inside the range 2..6 of networks of 5 links (an MLE exists).
const test::LinkList attended = {{1, 4}, {1, 5}, {1, 6}, {2, 5}, {3, 7}};

Study study_of(const std::string& formula) {
  NodeCovariates attributes;
  attributes.node_count = nodes;
  attributes.columns = {{"group", {"a", "b", "a", "x", "x", "x", "x"}}};
  TermContext context;
  context.directed = false;
  context.node_count = nodes;
  context.bipartite = first_mode;
  context.attributes = &attributes;
  Study study;
  study.network = test::network_of(attended);
  study.network.bipartite = first_mode;
  study.newton_until_settled = true;
  study.estimate_bound = std::numeric_limits<double>::infinity();
  study.model = model_of_formula(formula, context);
  study.space = std::make_shared<const SampleSpace>(two_mode_space(nodes, first_mode));
  return study;
}

TEST(TwoModeMle, ThereAreTwelveDyadsAndFourThousandNetworks) {
  const Study study = study_of("edges + b1star(2)");
  EXPECT_EQ(study.dyad_count(), 12);
  double networks = 0.0;
  for (const test::NetworkClass& c : test::every_network(study.model, nodes, first_mode))
    networks += c.count;
  EXPECT_EQ(networks, 4096.0);
}

TEST(TwoModeMle, PseudoLikelihoodOfADyadIndependentModelIsTheExactMle) {
  const Study study = study_of("edges + b1factor(group)");
  const test::ExactFit exact = test::exact_fit(study);
  const Estimate fit = fit_by_pseudo_likelihood(study, EstimatorSettings{}, {});
  ASSERT_TRUE(fit.converged) << fit.outcome;
  for (int k = 1; k <= 2; ++k) {
    EXPECT_NEAR(fit.result.estimate(k), exact.estimate[std::size_t(k - 1)], 1e-7) << k;
  }
  ASSERT_TRUE(fit.log_likelihood.has_value());
  EXPECT_NEAR(*fit.log_likelihood, exact.log_likelihood, 1e-8);
}

// By MCMLE, and by equilibrium expectation, whose chains keep to the dyads between the modes
// (MCMLE then judges its estimate and gives the errors).
TEST(TwoModeMle, MonteCarloEstimateOfEdgesAndFirstModeStarsAgreesWithTheExactOne) {
  const Study study = study_of("edges + b1star(2)");
  const test::ExactFit exact = test::exact_fit(study);
  EstimatorSettings settings;
  settings.mcmle.sample_size = 4096;
  settings.sampling.interval = 200;
  settings.sampling.threads = 2;
  settings.sampling.seed = 5;
  for (const auto fit : {&fit_by_mcmle, &fit_by_equilibrium_expectation}) {
    const Estimate e = fit(study, settings, {});
    ASSERT_TRUE(e.converged) << e.outcome;
    for (int k = 1; k <= 2; ++k) {
      const double variance = e.errors.covariance(k, k);
      const double mc = std::sqrt(variance * e.mcmc_error_percent[std::size_t(k - 1)] / 100.0);
      EXPECT_NEAR(e.result.estimate(k), exact.estimate[std::size_t(k - 1)], 4.0 * mc + 1e-3) << k;
      const double se = std::sqrt(exact.inverse_fisher(k - 1, k - 1));
      EXPECT_NEAR(std::sqrt(variance), se, 0.1 * se) << k;
    }
  }
}

}  // namespace
}  // namespace tarn
