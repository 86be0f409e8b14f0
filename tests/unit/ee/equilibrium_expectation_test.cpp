// Equilibrium expectation against the exact maximum-likelihood estimate: every network on 5
// nodes enumerated, the exact estimate by Newton's method on the exact moments.
#include "ee/equilibrium_expectation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>

#include "model/model.h"
#include "mple/pseudo_likelihood.h"
#include "support/five_node_study.h"

namespace tarn {
namespace {

Vector mple_of(const Study& study) {
  const FitResult r = fit_pseudo_likelihood(study);
  Vector start;
  for (int k = 1; k <= r.parameter_count; ++k) start.push_back(r.estimate(k));
  return start;
}

// The exact estimate and its standard errors.
struct ExactAnswer {
  Vector estimate, standard_errors;
};

ExactAnswer exact_answer(const Study& study, const Vector& start) {
  const test::ExactFit fit = test::exact_fit(test::exact_likelihood(study), start);
  ExactAnswer answer{fit.estimate, {}};
  for (int k = 0; k < fit.inverse_fisher.rows(); ++k)
    answer.standard_errors.push_back(std::sqrt(fit.inverse_fisher(k, k)));
  return answer;
}

TEST(EquilibriumExpectation, ReachesTheExactEstimateFromThePseudoLikelihoodOne) {
  for (const char* formula :
       {"edges + mutual", "edges + mutual + ttriple", "edges + gwesp(0.5, fixed=TRUE)"}) {
    SCOPED_TRACE(formula);
    const Study study = test::five_node_study(formula);
    const Vector start = mple_of(study);
    const ExactAnswer exact = exact_answer(study, start);
    EeSettings settings;
    settings.proposals_per_update = 50;
    settings.updates = 20000;
    settings.tasks = 4;
    settings.threads = 2;
    const EeResult ee = equilibrium_expectation(study, start, settings);
    ASSERT_FALSE(ee.filled);
    for (std::size_t k = 0; k < start.size(); ++k) {
      const double standard_error = exact.standard_errors[k];
      // Within a twentieth of a standard error of the exact estimate, where the pseudo-
      // likelihood's start of the dependent models lies 0.4 to 1.1 standard errors away.
      EXPECT_NEAR(ee.estimate[k], exact.estimate[k], 0.05 * standard_error)
          << "coefficient " << k << " started at " << start[k];
      EXPECT_LT(ee.task_spread[k], 0.05 * standard_error);
    }
  }
}

// Fewer proposals per update make a chain that remembers more updates; the gain and the
// averaging follow the memory measured, so the estimate stays as close to the exact one. With one
// proposal per update 200 updates hold fewer than 16 effective draws: per-update gains would
// follow the chain's noise, so the task holds the start until 16 and approaches by Newton steps
// from the means of held draws, which leaves it within a tenth of a standard error. A hold that
// goes on says so, with the effective draws it has so far; a chain that forgets fast holds once.
TEST(EquilibriumExpectation, TheGainFollowsTheChainsMemory) {
  const Study study = test::five_node_study("edges + mutual + ttriple");
  const Vector start = mple_of(study);
  const ExactAnswer exact = exact_answer(study, start);
  EeSettings settings;
  settings.effective_draws = 8000;
  settings.threads = 2;
  std::vector<EeResult> results;
  std::vector<std::vector<EeTaskNews>> holds;
  std::mutex one_at_a_time;
  for (const std::int64_t every : {50, 4, 1}) {
    settings.proposals_per_update = every;
    holds.emplace_back();
    const EeProgress progress = [&](const EeTaskNews& news) {
      const std::lock_guard<std::mutex> lock(one_at_a_time);
      if (news.hold.updates > 0) holds.back().push_back(news);
    };
    results.push_back(equilibrium_expectation(study, start, settings, progress));
    const double within = every == 1 ? 0.1 : 0.05;
    for (std::size_t k = 0; k < start.size(); ++k) {
      EXPECT_NEAR(results.back().estimate[k], exact.estimate[k], within * exact.standard_errors[k])
          << every << " proposals per update, coefficient " << k;
    }
  }
  EXPECT_GT(results[1].autocorrelation_updates, 3.0 * results[0].autocorrelation_updates);
  EXPECT_GT(results[1].averaged_updates, 3 * results[0].averaged_updates);
  EXPECT_GT(results[2].autocorrelation_updates, 200.0 / 16.0);
  EXPECT_TRUE(holds[0].empty());
  ASSERT_FALSE(holds[2].empty());
  int at_start = 0;
  for (const EeTaskNews& news : holds[2]) {
    EXPECT_LT(news.hold.effective_draws, 16.0);
    EXPECT_EQ(news.hold.updates % 200, 0) << news.hold.updates;
    EXPECT_EQ(news.hold.until % 200, 0) << news.hold.until;
    EXPECT_GT(news.hold.until, news.hold.updates);
    EXPECT_LE(news.hold.until, 2 * news.hold.updates);
    at_start += news.held_near_estimate ? 0 : 1;
  }
  EXPECT_GE(at_start, settings.tasks);
}

TEST(EquilibriumExpectation, TheSameForAnyNumberOfThreads) {
  const Study study = test::five_node_study("edges + mutual + ttriple");
  EeSettings settings;
  settings.proposals_per_update = 40;
  settings.updates = 500;
  settings.tasks = 3;
  settings.threads = 1;
  const EeResult one = equilibrium_expectation(study, mple_of(study), settings);
  settings.threads = 3;
  const EeResult three = equilibrium_expectation(study, mple_of(study), settings);
  EXPECT_EQ(one.estimate, three.estimate);
  EXPECT_EQ(one.task_estimates, three.task_estimates);
  settings.seed = 2;
  EXPECT_NE(equilibrium_expectation(study, mple_of(study), settings).estimate, one.estimate);
}

// With exact draws of the statistics (every network size allowed), each update's statistics are
// a network drawn independently at the current coefficients, and the estimate lies as close to
// the exact one as the chains' does, without a proposal.
TEST(EquilibriumExpectation, ExactDrawsReachTheExactEstimate) {
  const Study study = test::five_node_study("edges + mutual");
  const ExactAnswer exact = exact_answer(study, mple_of(study));
  // Half a unit from the exact estimate each way: the steps must get there, not stay at a
  // start that was the answer.
  const Vector start = {exact.estimate[0] - 0.5, exact.estimate[1] + 0.5};
  EeSettings settings;
  settings.chains_up_to = 0;
  settings.updates = 20000;
  settings.threads = 2;
  const EeResult ee = equilibrium_expectation(study, start, settings);
  EXPECT_TRUE(ee.exact_draws);
  EXPECT_EQ(ee.proposals, 0);
  for (std::size_t k = 0; k < start.size(); ++k) {
    EXPECT_NEAR(ee.estimate[k], exact.estimate[k], 0.05 * exact.standard_errors[k]) << k;
  }
  // Independent draws: no memory to measure, each update one effective draw.
  EXPECT_EQ(ee.autocorrelation_updates, 1.0);
  EXPECT_GE(ee.effective_draws, double(settings.effective_draws));
  settings.threads = 1;
  EXPECT_EQ(equilibrium_expectation(study, start, settings).task_estimates, ee.task_estimates);
  settings.chains_up_to = max_nodes;
  EXPECT_FALSE(equilibrium_expectation(study, start, settings).exact_draws);
}

}  // namespace
}  // namespace tarn
