// Maximum likelihood by MCMC against the exact maximum-likelihood estimate: every directed network
// of 5 nodes (2^20) enumerated, its statistics counted, the exact MLE found by Newton's method on
// the exact log-likelihood and its inverse Fisher information; the MCMLE must lie within its
// Monte Carlo error of it, and its standard errors within 10% of the exact ones; so too for every
// undirected graph of 6 nodes. Dyad-independent models: the MCMLE is the MPLE exactly, without
// sampling.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mcmle/mcmle.h"
#include "mple/pseudo_likelihood.h"
#include "support/exact_networks.h"
#include "support/models.h"

namespace tarn {
namespace {

// The exact fit of a study's model on every network of n nodes, its observed statistics those
// given, from start.
test::ExactFit exact_mle(const Study& study, int n, const Vector& observed, const Vector& start) {
  return test::exact_fit({study.model, test::every_network(study.model, n), observed, {}}, start);
}

// The MCMLE within 4 Monte Carlo standard errors of the exact MLE, and its standard errors within
// 10% of the exact ones.
void expect_within_error(const McmleResult& r, const test::ExactFit& exact) {
  for (std::size_t k = 0; k < exact.estimate.size(); ++k) {
    const int c = static_cast<int>(k);
    const double mc = std::sqrt(r.covariance(c, c) * r.mcmc_error_percent[k] / 100.0);
    EXPECT_NEAR(r.estimate[k], exact.estimate[k], 4.0 * mc + 1e-3) << "coefficient " << c;
    const double se = std::sqrt(exact.inverse_fisher(c, c));
    EXPECT_NEAR(std::sqrt(r.covariance(c, c)), se, 0.1 * se) << "coefficient " << c;
  }
}

// A network of 5 nodes with 9 links, 2 of them reciprocated pairs, and transitive triples.
const test::LinkList five = {{1, 2}, {1, 3}, {2, 1}, {2, 3}, {2, 5},
                             {3, 4}, {4, 3}, {4, 5}, {5, 1}};

Study study_of(const std::string& formula) {
  return test::formula_study(formula, five, 5, true, {{"group", {"a", "b", "a", "b", "a"}}});
}

McmleControl settings(int threads) {
  McmleControl s;
  s.sample_size = 4096;
  s.interval = 200;
  s.threads = threads;
  s.seed = 5;
  return s;
}

Study undirected_study(const char* formula, const test::LinkList& edges) {
  return test::formula_study(formula, edges, 6, false);
}

// Directed on the five-node network (every network of 5 nodes); undirected, every graph of 6
// nodes (2^15), a network of 8 edges with one triangle and 2-stars inside their range for 8 edges.
TEST(ExactLikelihood, MonteCarloEstimateAgreesWithTheExactOne) {
  const std::pair<const char*, bool> cases[] = {
      {"edges + mutual + gwesp(0.5, fixed=TRUE)", true},
      {"edges + mutual + nodematch(group)", true},
      {"edges + gwesp(0.5, fixed=TRUE)", false},
      {"edges + kstar(2)", false},
  };
  for (const auto& [formula, directed] : cases) {
    SCOPED_TRACE(formula);
    const Study study =
        directed ? study_of(formula)
                 : undirected_study(
                       formula, {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 6}, {3, 4}, {5, 6}});
    const FitResult mple = fit_pseudo_likelihood(study);
    Vector start;
    for (int k = 1; k <= study.model.parameter_count(); ++k) start.push_back(mple.estimate(k));
    const McmleResult r = fit_mcmle(study, start, McmleStart::pseudo_likelihood, settings(2));
    ASSERT_EQ(r.end, McmleEnd::converged);
    const test::ExactFit exact = exact_mle(study, directed ? 5 : 6, r.observed, start);
    expect_within_error(r, exact);
  }
}

// A gw term whose decay is estimated: the MCMLE of its weight and decay against the exact one, on
// a network whose exact MLE has a finite decay (0.528; many 6-node networks have none).
TEST(ExactLikelihood, CurvedMonteCarloEstimateAgreesWithTheExactOne) {
  const Study study =
      undirected_study("edges + gwesp(0.5)",
                       {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5}, {5, 6}});
  const Study fixed = study.with_model(study.model.fixed_at(study.model.start_from_fixed({})));
  const FitResult mple = fit_pseudo_likelihood(fixed);
  const Vector start = study.model.start_from_fixed({mple.estimate(1), mple.estimate(2)});
  const McmleResult r = fit_mcmle(study, start, McmleStart::pseudo_likelihood, settings(2));
  const test::ExactFit exact = exact_mle(study, 6, study.statistics(), start);
  ASSERT_EQ(r.end, McmleEnd::converged);
  expect_within_error(r, exact);
}

// Degrees 3,3,3,3,2,2: the fewest 2-stars 8 edges can have, so no maximum-likelihood estimate
// exists (nor a pseudo-likelihood one). The estimator moves off the pseudo-likelihood's bounds
// and must not claim convergence however far its steps go.
TEST(ExactLikelihood, NoEstimateWhereTheObservedStatisticsAreExtreme) {
  const Study study = undirected_study(
      "edges + kstar(2)", {{1, 2}, {1, 3}, {1, 5}, {2, 3}, {2, 6}, {3, 4}, {4, 5}, {5, 6}});
  const FitResult mple = fit_pseudo_likelihood(study);
  const Vector start = {mple.estimate(1), mple.estimate(2)};
  McmleControl s = settings(1);
  s.max_iterations = 12;
  const McmleResult r = fit_mcmle(study, start, McmleStart::pseudo_likelihood, s);
  ASSERT_TRUE(r.start.moved.has_value()) << "the pseudo-likelihood estimate is at its bounds";
  EXPECT_EQ(r.start.kind, McmleStart::dyad_independent);
  EXPECT_NE(r.end, McmleEnd::converged);
  EXPECT_TRUE(r.covariance.empty() || std::isnan(r.covariance(0, 0)));
}

// A dyad-independent model's pseudo-likelihood is its likelihood: the estimate, errors and
// log-likelihood are the pseudo-likelihood's, exactly, and no network is drawn.
TEST(ExactLikelihood, DyadIndependentModelGivesTheExactMleWithoutSampling) {
  const Study study = study_of("edges + nodematch(group)");
  const FitResult mple = fit_pseudo_likelihood(study);
  const McmleResult r = fit_mcmle(study, {0.0, 0.0}, McmleStart::given, settings(1));
  ASSERT_EQ(r.end, McmleEnd::converged);
  EXPECT_EQ(r.stop_reason, "dyad_independent");
  EXPECT_EQ(r.toggles, 0);
  EXPECT_EQ(r.estimate, (Vector{mple.estimate(1), mple.estimate(2)}));
  EXPECT_EQ(r.covariance(1, 1), mple.covariance(2, 2));
  ASSERT_TRUE(r.log_likelihood.has_value());
  EXPECT_EQ(*r.log_likelihood, mple.loglik);
  const test::ExactFit exact = exact_mle(study, 5, r.observed, r.estimate);
  EXPECT_NEAR(mple.loglik, exact.log_likelihood, 1e-9);
  for (int k = 0; k < 2; ++k) {
    EXPECT_NEAR(r.estimate[std::size_t(k)], exact.estimate[std::size_t(k)], 1e-8);
    EXPECT_NEAR(r.covariance(k, k), exact.inverse_fisher(k, k), 1e-8);
  }
}

// A start where the networks pile up near the complete network moves towards the
// dyad-independent estimate, and the fit goes on from there and converges. 30 nodes, about 260
// links.
TEST(ExactLikelihood, ARunawayStartMovesTowardsTheDyadIndependentEstimate) {
  test::LinkList links;
  std::mt19937 random(3);
  for (int i = 1; i <= 30; ++i)
    for (int j = 1; j <= 30; ++j)
      if (i != j && random() % 100 < 30) links.push_back({i, j});
  const Study study = test::formula_study("edges + mutual + gwesp(0.5, fixed=TRUE)", links, 30);
  McmleControl s = settings(1);
  s.interval = 0;  // chosen
  s.sample_size = 1024;
  const McmleResult r = fit_mcmle(study, {3.0, 0.0, 0.0}, McmleStart::given, s);
  ASSERT_TRUE(r.start.moved.has_value());
  EXPECT_EQ(r.start.moved->reason, "pile_near_full");
  EXPECT_GT(r.start.moved->evidence.mean_links, 600) << "the first networks ran away upwards";
  EXPECT_LT(r.start.share, 1.0);
  ASSERT_EQ(r.end, McmleEnd::converged);
  ASSERT_TRUE(r.check.has_value());
  EXPECT_TRUE(r.check->passed);
}

TEST(ExactLikelihood, SameSeedSameResultForAnyThreads) {
  const Study study = study_of("edges + mutual + gwesp(0.5, fixed=TRUE)");
  const FitResult mple = fit_pseudo_likelihood(study);
  const Vector start = {mple.estimate(1), mple.estimate(2), mple.estimate(3)};
  McmleControl s = settings(1);
  s.sample_size = 512;
  const McmleResult one = fit_mcmle(study, start, McmleStart::pseudo_likelihood, s);
  s.threads = 2;
  const McmleResult two = fit_mcmle(study, start, McmleStart::pseudo_likelihood, s);
  EXPECT_EQ(one.estimate, two.estimate);
  EXPECT_EQ(one.iterations, two.iterations);
  EXPECT_EQ(one.log_likelihood, two.log_likelihood);
  EXPECT_EQ(one.toggles, two.toggles);
}

}  // namespace
}  // namespace tarn
