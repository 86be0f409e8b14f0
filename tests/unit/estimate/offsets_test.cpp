// Offsets (ergm's offset(term)) against exact references: every directed network of 4 nodes
// (2^12) enumerated, the exact MLE of the free coefficients found by Newton's method on the exact
// log-likelihood with the offsets fixed, and its inverse Fisher information. A dyad-independent
// model's pseudo-likelihood fit is that MLE itself; maximum likelihood by MCMC lies within its
// Monte Carlo error of it, its standard errors within 10%. An offset of -Inf takes the networks
// it forbids out of the enumeration, and out of every sample the chains draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "estimate/ee_estimator.h"
#include "estimate/estimate.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "mple/pseudo_likelihood.h"
#include "network/usage_error.h"
#include "simulate/sampler.h"
#include "support/exact_networks.h"
#include "support/models.h"

namespace tarn {
namespace {

using Vector = std::vector<double>;
constexpr double inf = std::numeric_limits<double>::infinity();

// Groups a, b, a, b; every link joins the two groups: 3 of the 4 possible from a to b, 2 of the
// 4 from b to a, two pairs reciprocated (statistics inside their range among such networks).
const test::LinkList across = {{1, 2}, {2, 1}, {2, 3}, {3, 2}, {3, 4}};

// The study of the formula on 4 nodes, its offsets held at their values.
Study study_of(const std::string& formula, const std::vector<double>& offsets,
               test::LinkList links = across, int n = 4, bool directed = true) {
  std::sort(links.begin(), links.end());
  Study study = test::formula_study(formula, links, n, directed, {{"group", {"a", "b", "a", "b"}}});
  study.newton_until_settled = true;
  study.estimate_bound = inf;
  study.model = with_offsets(study.model, offsets, "offsets");
  return study;
}

TEST(Offsets, FormulaMarksTheTermAndNamesItsStatisticsAsErgmDoes) {
  const Study study = study_of("edges + offset(nodematch(group)) + mutual", {-1.5});
  EXPECT_EQ(study.model.statistic_names(),
            (std::vector<std::string>{"edges", "offset(nodematch.group)", "mutual"}));
  EXPECT_TRUE(study.model.has_offsets());
  EXPECT_EQ(study.model.offset_coefficient_count(), 1);
  EXPECT_EQ(study.model.free_coefficients(), (std::vector<int>{0, 2}));
  const auto fixed = study.model.fixed_coefficients();
  EXPECT_FALSE(fixed[0]);
  EXPECT_EQ(fixed[1], -1.5);
  EXPECT_FALSE(fixed[2]);
}

TEST(Offsets, BadOffsetsAreRefusedWithTheirCounts) {
  TermContext context;
  context.node_count = 4;
  const Model model = model_of_formula("edges + offset(mutual) + offset(ttriple)", context);
  try {
    with_offsets(model, {1.0}, "--offset-coef");
    ADD_FAILURE() << "a count that does not match was taken";
  } catch (const UsageError& e) {
    EXPECT_STREQ(e.what(),
                 "--offset-coef: 1 value for 2 offset coefficients (offset(term) in the formula)");
  }
  EXPECT_THROW(with_offsets(model, {1.0, std::nan("")}, "x"), UsageError);
  for (const char* formula : {"edges + offset()", "offset(edges, mutual)", "offset(offset(edges))",
                              "offset(edges)@2", "offset(gwesp(0.5))"}) {
    SCOPED_TRACE(formula);
    EXPECT_THROW(model_of_formula(formula, context), ModelError);
  }
}

// Dyad-independent: the pseudo-likelihood is the likelihood, so its fit with an offset is the
// exact MLE of the free coefficients, and its covariance the exact inverse information; the
// offset's entry is its value, without variance. So too at -Inf, which forbids every link within
// a group: the enumeration leaves out every network with one.
TEST(Offsets, PseudoLikelihoodOfADyadIndependentModelIsTheExactMle) {
  for (const double value : {0.7, -inf}) {
    SCOPED_TRACE(value);
    const Study study = study_of("edges + nodeofactor(group) + offset(nodematch(group))", {value});
    const FitResult fit = fit_pseudo_likelihood(study);
    ASSERT_EQ(fit.end, FitEnd::completed);
    ASSERT_FALSE(fit.too_many_iterations);
    ASSERT_EQ(fit.parameter_count, 3);
    const test::ExactFit exact = test::exact_fit(study);
    for (int k = 1; k <= 2; ++k) {
      EXPECT_NEAR(fit.estimate(k), exact.estimate[std::size_t(k - 1)], 1e-7) << k;
      for (int l = 1; l <= 2; ++l) {
        EXPECT_NEAR(fit.covariance(k, l), exact.inverse_fisher(k - 1, l - 1),
                    1e-7 * std::fabs(exact.inverse_fisher(k - 1, k - 1)));
      }
      EXPECT_EQ(fit.covariance(k, 3), 0.0);
    }
    EXPECT_EQ(fit.estimate(3), value);
    EXPECT_EQ(fit.covariance(3, 3), 0.0);
    EXPECT_NEAR(fit.loglik, exact.log_likelihood, 1e-8);
  }
}

// The pseudo-score of a dyad-independent model is its score: the free statistics less their exact
// mean at the coefficients, 0 at the offset; Godambe errors from simulated networks are then its
// inverse Fisher information, within their Monte Carlo error.
TEST(Offsets, PseudoScoreAndGodambeErrorsOfADyadIndependentModelAreExact) {
  for (const double value : {0.7, -inf}) {
    SCOPED_TRACE(value);
    const Study study = study_of("edges + nodeofactor(group) + offset(nodematch(group))", {value});
    const Vector free = {-0.4, 0.3};
    ParamVector at(3);
    at(1) = free[0], at(2) = free[1], at(3) = value;
    const ParamVector score = pseudo_score(study, at);
    const test::ExactPoint exact = test::exact_point(test::exact_likelihood(study), free);
    for (int k = 1; k <= 2; ++k) EXPECT_NEAR(score(k), exact.score[std::size_t(k - 1)], 1e-9);
    EXPECT_EQ(score(3), 0.0);

    EstimatorSettings settings;
    settings.errors = "godambe";
    settings.replicates = 800;
    settings.sampling.seed = 5;
    settings.sampling.threads = 2;
    const Estimate e = fit_by_pseudo_likelihood(study, settings, {});
    ASSERT_EQ(e.errors.method, "godambe");
    const test::ExactFit mle = test::exact_fit(study);
    for (int k = 1; k <= 2; ++k) {
      // The variance of a variance estimated from 800 draws: about 5% of it.
      const double se = std::sqrt(mle.inverse_fisher(k - 1, k - 1));
      EXPECT_NEAR(std::sqrt(e.errors.covariance(k, k)), se, 0.1 * se) << k;
    }
    EXPECT_EQ(e.errors.covariance(3, 3), 0.0);
  }
}

TEST(Offsets, ANetworkThatAnInfiniteOffsetForbidsIsRefusedNamingTheTerm) {
  test::LinkList within = across;
  within.emplace_back(1, 3);  // both of group a
  const Study study = study_of("edges + offset(nodematch(group))", {-inf}, within);
  try {
    fit_pseudo_likelihood(study);
    ADD_FAILURE() << "a network of probability 0 was fitted";
  } catch (const UsageError& e) {
    EXPECT_NE(std::string(e.what()).find("offset(nodematch.group) at -Inf"), std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find("1->3"), std::string::npos) << e.what();
  }
}

EstimatorSettings mcmle_settings() {
  EstimatorSettings s;
  s.mcmle.sample_size = 4096;
  s.sampling.interval = 200;
  s.sampling.threads = 2;
  s.sampling.seed = 11;
  return s;
}

// The MCMLE of the two free coefficients within 4 Monte Carlo errors of the exact MLE, its errors
// within 10% of the exact ones.
void expect_free_estimates_exact(const Study& study, const Estimate& e) {
  const test::ExactFit exact = test::exact_fit(study);
  for (int k = 1; k <= 2; ++k) {
    const double variance = e.errors.covariance(k, k);
    const double mc = std::sqrt(variance * e.mcmc_error_percent[std::size_t(k - 1)] / 100.0);
    EXPECT_NEAR(e.result.estimate(k), exact.estimate[std::size_t(k - 1)], 4.0 * mc + 1e-3) << k;
    const double se = std::sqrt(exact.inverse_fisher(k - 1, k - 1));
    EXPECT_NEAR(std::sqrt(variance), se, 0.1 * se) << k;
  }
}

// Dependent models: the free coefficients as the exact MLE gives them; the offset's entry is its
// value. Equilibrium expectation holds the offset where it is and MCMLE goes on from its estimate.
TEST(Offsets, MonteCarloEstimateWithAnOffsetAgreesWithTheExactOne) {
  struct Case {
    const char* formula;
    double value;
  };
  for (const Case& c : {Case{"edges + mutual + offset(ttriple)", 0.3},
                        Case{"edges + mutual + offset(nodematch(group))", -inf}}) {
    SCOPED_TRACE(c.formula);
    const Study study = study_of(c.formula, {c.value});
    EstimatorSettings settings = mcmle_settings();
    settings.ee.tasks = 2;
    settings.ee.threads = 2;
    const Estimate e = fit_by_mcmle(study, settings, {});
    const Estimate ee = fit_by_equilibrium_expectation(study, settings, {});
    for (const Estimate* fit : {&e, &ee}) {
      SCOPED_TRACE(fit->method);
      ASSERT_TRUE(fit->converged) << fit->outcome;
      expect_free_estimates_exact(study, *fit);
      EXPECT_EQ(fit->result.estimate(3), c.value);
      EXPECT_EQ(fit->errors.covariance(3, 3), 0.0);
    }
    // The walk, MCMLE's start, kept the offset and ended near the exact estimate.
    ASSERT_TRUE(ee.equilibrium);
    const Vector& walked = ee.equilibrium->result.estimate;
    EXPECT_EQ(walked[2], c.value);
    const test::ExactFit exact = test::exact_fit(study);
    for (std::size_t k = 0; k < 2; ++k) EXPECT_NEAR(walked[k], exact.estimate[k], 0.25) << k;
    // The bridge from the dyad-independent terms with the offset held (-Inf: the reference's
    // own; 0.3: walked from 0 as a free coefficient would be) to the exact log-likelihood at the
    // estimate, within the bridge's Monte Carlo error.
    ASSERT_TRUE(e.log_likelihood.has_value());
    const test::ExactPoint at = test::exact_point(test::exact_likelihood(study),
                                                  {e.result.estimate(1), e.result.estimate(2)});
    EXPECT_NEAR(*e.log_likelihood, at.log_likelihood, 0.05);
  }
}

// A dyad-dependent offset at -Inf leaves the bridge without a start: no log-likelihood, and the
// warning says why.
TEST(Offsets, NoLogLikelihoodBesideADependentOffsetAtMinusInfinity) {
  const Study study = study_of("edges + nodematch(group) + offset(mutual)", {-inf},
                               {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {1, 4}});
  EXPECT_THROW(fit_pseudo_likelihood(study), UsageError);  // 1<->4 is mutual
  const Study allowed =
      study_of("edges + nodematch(group) + offset(mutual)", {-inf}, {{1, 2}, {2, 3}, {1, 3}});
  const Estimate e = fit_by_mcmle(allowed, mcmle_settings(), {});
  ASSERT_TRUE(e.converged) << e.outcome;
  EXPECT_FALSE(e.log_likelihood.has_value());
  const auto w = std::find_if(e.warnings.begin(), e.warnings.end(), [](const Warning& w) {
    return w.code == "log_likelihood_not_bridged";
  });
  ASSERT_NE(w, e.warnings.end());
  EXPECT_EQ(w->text("reason"), "offsets");
}

// Undirected, every graph of 6 nodes (2^15): 8 edges with one triangle, the 2-stars inside their
// range for 8 edges; the triangles' coefficient held at 0.4.
TEST(Offsets, UndirectedMonteCarloEstimateWithAnOffsetAgreesWithTheExactOne) {
  const Study study =
      study_of("edges + kstar(2) + offset(triangle)", {0.4},
               {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 6}, {3, 4}, {5, 6}}, 6, false);
  const Estimate e = fit_by_mcmle(study, mcmle_settings(), {});
  ASSERT_TRUE(e.converged) << e.outcome;
  expect_free_estimates_exact(study, e);
  EXPECT_EQ(e.result.estimate(3), 0.4);
}

// A configuration that -Inf forbids never appears in a network drawn, however the others pull.
TEST(Offsets, NoDrawnNetworkHoldsWhatAnInfiniteOffsetForbids) {
  const Study study = study_of("edges + mutual + offset(nodematch(group))", {-inf});
  SamplerSettings settings;
  settings.burnin = 100;
  settings.interval = 20;
  settings.chains = 4;
  settings.threads = 2;
  std::atomic<int> forbidden{0};
  const SampleSummary sample =
      sample_networks(study, {2.0, 1.0, -inf}, 400, settings,
                      [&forbidden](int, const TermGraph&, const std::vector<double>& statistics) {
                        if (statistics[2] != 0.0) ++forbidden;
                      });
  EXPECT_EQ(forbidden.load(), 0);
  ASSERT_EQ(sample.statistics.size(), 400u);
  double links = 0.0;
  for (const Vector& g : sample.statistics) {
    EXPECT_EQ(g[2], 0.0);
    links += g[0];
  }
  // Dense where allowed: the 8 dyads across the groups are mostly linked.
  EXPECT_GT(links / 400.0, 6.0);
  EXPECT_GT(sample.accepted, 0);
}

}  // namespace
}  // namespace tarn
