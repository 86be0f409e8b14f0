// Equilibrium expectation of models of counts on networks small enough to enumerate: its
// estimate against the exact MLE, the check's errors against the exact ones, MCMLE going on
// when the check fails, and the same estimate for any number of threads.

#include <gtest/gtest.h>

#include <cmath>

#include "estimate/valued_ee_estimator.h"
#include "support/small_valued_models.h"

namespace tarn {
namespace {

using test::Built;
using test::FitCase;

ValuedEeFit fit_by_ee(const Built& b, const ValuedGraph& observed, const EeSettings& settings,
                      int threads = 1) {
  McmleControl control;
  control.threads = threads;
  return fit_valued_by_equilibrium(b.model, observed, default_proposal(b.model.reference), control,
                                   settings);
}

TEST(ValuedEquilibrium, FindsTheExactMleOfDependentModels) {
  const FitCase cases[] = {
      {{"sum + mutual(form=\"min\")"}, {2, 0, 1, 2, 1, 0}},
      {{"sum + transitiveweights"}, {2, 1, 0, 1, 2, 1}},
      {{"sum + nodeocovar + cyclicalweights", true, 3, "DiscUnif(a=1, b=3)"}, {2, 3, 1, 2, 3, 1}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.setting.formula + " ~ " + c.setting.reference);
    const Built b = test::build(c.setting);
    const ValuedGraph observed = test::network_of(b.space, c.observed);
    const auto exact = test::exact_fit_of(b, observed);
    ASSERT_TRUE(exact) << "the observed statistics have no MLE";
    const ValuedEeFit r = fit_by_ee(b, observed, EeSettings{});
    ASSERT_TRUE(r.record);
    EXPECT_FALSE(r.by_mcmle);
    ASSERT_EQ(r.fit.outcome, "converged");
    const double draws = r.record->result.effective_draws;
    ASSERT_GT(draws, 0.0);
    for (std::size_t s = 0; s < exact->estimate.size(); ++s) {
      const double exact_error = std::sqrt(exact->covariance(int(s), int(s)));
      // A mean of `draws` effective draws of the statistics pins the coefficients to about the
      // MLE's error over sqrt(draws).
      EXPECT_NEAR(r.fit.estimate[s], exact->estimate[s], 4 * exact_error / std::sqrt(draws))
          << b.model.names[s];
      EXPECT_NEAR(std::sqrt(r.fit.covariance(int(s), int(s))), exact_error, 0.15 * exact_error)
          << b.model.names[s];
    }
  }
}

TEST(ValuedEquilibrium, DyadIndependentModelsAreFittedExactly) {
  const Built b = test::build({"sum + nonzero"});
  const ValuedGraph observed = test::network_of(b.space, {2, 0, 1, 2, 1, 0});
  const auto exact = test::exact_fit_of(b, observed);
  ASSERT_TRUE(exact);
  const ValuedEeFit r = fit_by_ee(b, observed, EeSettings{});
  EXPECT_FALSE(r.record);
  EXPECT_EQ(r.fit.stop_reason, "dyad_independent");
  for (std::size_t s = 0; s < exact->estimate.size(); ++s) {
    EXPECT_NEAR(r.fit.estimate[s], exact->estimate[s], 1e-6);
  }
}

// Updates of one proposal averaged over one effective draw leave an estimate the networks drawn
// at it do not reproduce: MCMLE goes on from it to the MLE.
TEST(ValuedEquilibrium, McmleGoesOnWhenTheCheckFails) {
  const Built b = test::build({"sum + mutual(form=\"min\")"});
  const ValuedGraph observed = test::network_of(b.space, {2, 0, 1, 2, 1, 0});
  const auto exact = test::exact_fit_of(b, observed);
  ASSERT_TRUE(exact);
  EeSettings rough;
  rough.tasks = 1;
  rough.proposals_per_update = 1;
  rough.scale_updates = 2;
  rough.effective_draws = 1;
  rough.gain = 1.0;
  const ValuedEeFit r = fit_by_ee(b, observed, rough);
  ASSERT_TRUE(r.record && r.record->check);
  EXPECT_FALSE(r.record->check->passed());
  EXPECT_TRUE(r.by_mcmle);
  ASSERT_EQ(r.fit.outcome, "converged");
  for (std::size_t s = 0; s < exact->estimate.size(); ++s) {
    const double variance = r.fit.covariance(int(s), int(s));
    EXPECT_NEAR(r.fit.estimate[s], exact->estimate[s],
                4 * std::sqrt(variance * r.fit.mcmc_error_percent[s] / 100));
  }
}

TEST(ValuedEquilibrium, TheSameEstimateForAnyNumberOfThreads) {
  const Built b = test::build({"sum + transitiveweights"});
  const ValuedGraph observed = test::network_of(b.space, {2, 1, 0, 1, 2, 1});
  const ValuedEeFit one = fit_by_ee(b, observed, EeSettings{}, 1);
  const ValuedEeFit two = fit_by_ee(b, observed, EeSettings{}, 2);
  ASSERT_TRUE(one.record && two.record);
  EXPECT_EQ(one.record->result.task_estimates, two.record->result.task_estimates);
  EXPECT_EQ(one.fit.estimate, two.fit.estimate);
  EXPECT_EQ(one.record->check->sample, two.record->check->sample);
}

}  // namespace
}  // namespace tarn
