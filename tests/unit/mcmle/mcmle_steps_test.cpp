// Each step of maximum likelihood by MCMC alone, with an exact source: networks drawn
// independently from the exact distribution of every directed network on 5 nodes. The
// importance-sampling step from a large sample at the pseudo-likelihood estimate lands on the exact
// maximum-likelihood estimate; the errors of a sample drawn there are the exact inverse Fisher
// information; a whole fit from that source converges there; the start's moves, the interval,
// the final sample's size and the simulation check follow their rules.
#include "mcmle/mcmle_steps.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mcmle/mcmle.h"
#include "mple/pseudo_likelihood.h"
#include "support/five_node_study.h"

namespace tarn {
namespace {

struct World {
  Study study;
  std::vector<test::NetworkClass> classes;
  Vector observed, mple;
  test::ExactFit exact;
};

World world(const std::string& formula) {
  World w{test::five_node_study(formula), {}, {}, {}, {}};
  w.classes = test::every_network(w.study.model, 5);
  w.observed = w.study.model.network_statistics(w.study.graph());
  const FitResult fit = fit_pseudo_likelihood(w.study);
  for (int k = 1; k <= fit.parameter_count; ++k) w.mple.push_back(fit.estimate(k));
  w.exact = test::exact_fit({w.study.model, w.classes, w.observed, {}}, w.mple);
  return w;
}

SampleRequest request_at(const Vector& eta, int networks) {
  SampleRequest request;
  request.eta = eta;
  request.networks = networks;
  return request;
}

const char* gw = "edges + mutual + gwesp(0.5, fixed=TRUE)";

TEST(McmleSteps, TheImportanceStepFromALargeSampleLandsOnTheExactMle) {
  const World w = world(gw);
  const SampleSource source = test::exact_source(w.classes, 7);
  const DrawnSample sample = source(request_at(w.mple, 40000));
  const SampleMoments m = sample_moments(sample.statistics, sample.chains);
  const Vector log_normal = *log_normal_step(m, w.observed);
  const Vector step = importance_step(sample.statistics, w.observed, log_normal, McmleControl{});
  for (std::size_t k = 0; k < step.size(); ++k) {
    const double se = std::sqrt(w.exact.inverse_fisher(int(k), int(k)));
    EXPECT_NEAR(w.mple[k] + step[k], w.exact.estimate[k], 0.05 * se) << "coefficient " << k;
    // The log-normal step alone is the first Newton step of it, not the estimate.
    EXPECT_GT(std::fabs(w.mple[k] + log_normal[k] - w.exact.estimate[k]),
              std::fabs(w.mple[k] + step[k] - w.exact.estimate[k]) - 0.01 * se);
  }
}

TEST(McmleSteps, TheErrorsOfASampleAtTheMleAreTheExactOnes) {
  const World w = world(gw);
  const DrawnSample sample = test::exact_source(w.classes, 8)(request_at(w.exact.estimate, 20000));
  const McmleErrors errors = mcmle_errors(sample_moments(sample.statistics, sample.chains));
  for (int k = 0; k < 3; ++k) {
    const double exact = std::sqrt(w.exact.inverse_fisher(k, k));
    EXPECT_NEAR(std::sqrt(errors.covariance(k, k)), exact, 0.03 * exact) << "coefficient " << k;
    // Independent draws: the Monte Carlo share is one part in the sample size.
    EXPECT_NEAR(errors.mcmc_error_percent[std::size_t(k)], 100.0 / 20001.0, 0.004);
  }
}

TEST(McmleSteps, AFitFromTheExactSourceConvergesToTheExactMle) {
  for (const char* formula : {gw, "edges + mutual + ttriple"}) {
    SCOPED_TRACE(formula);
    const World w = world(formula);
    McmleControl control;
    control.seed = 3;
    control.interval = 1;
    const McmleResult r = fit_mcmle(w.study, w.mple, McmleStart::pseudo_likelihood, control,
                                    test::exact_source(w.classes, 3));
    ASSERT_EQ(r.end, McmleEnd::converged) << r.stop_reason;
    ASSERT_TRUE(r.check.has_value());
    EXPECT_TRUE(r.check->passed);
    for (std::size_t k = 0; k < r.estimate.size(); ++k) {
      const int c = static_cast<int>(k);
      const double se = std::sqrt(w.exact.inverse_fisher(c, c));
      const double mc = std::sqrt(r.covariance(c, c) * r.mcmc_error_percent[k] / 100.0);
      EXPECT_NEAR(r.estimate[k], w.exact.estimate[k], 4.0 * mc + 1e-3) << "coefficient " << k;
      // The final sample is sized for errors within 5% of their long-run values (root mean
      // square): three times that.
      EXPECT_NEAR(std::sqrt(r.covariance(c, c)), se, 0.15 * se) << "coefficient " << k;
    }
    ASSERT_TRUE(r.probes.has_value());
    EXPECT_FALSE(r.probes->second_mode());
  }
}

TEST(McmleSteps, ABadStartMovesHalfwayFourTimesThenToTheReference) {
  const Study study = test::five_node_study(gw);
  const auto reference = dyad_independent_reference(study);
  ASSERT_TRUE(reference.has_value());
  StartRecord record;
  record.kind = McmleStart::given;
  record.first = {2.0, 1.0, 1.0};
  Vector theta = record.first;
  const StartMove why{"pile_near_full", {}, {}};
  for (double share : {0.5, 0.25, 0.125, 0.0625}) {
    ASSERT_TRUE(move_start(record, theta, why, reference, 4));
    EXPECT_EQ(record.share, share);
    for (std::size_t k = 0; k < theta.size(); ++k) {
      EXPECT_DOUBLE_EQ(theta[k], reference->coefficients[k] +
                                     share * (record.first[k] - reference->coefficients[k]));
    }
  }
  ASSERT_TRUE(move_start(record, theta, StartMove{"two_modes", {}, {}}, reference, 4));
  EXPECT_EQ(record.kind, McmleStart::dyad_independent);
  EXPECT_EQ(theta, reference->coefficients);
  EXPECT_EQ(record.moved->reason, "pile_near_full") << "the first reason is kept";
  EXPECT_FALSE(move_start(record, theta, why, reference, 4)) << "nowhere further";
  // A start that gave no step goes to the reference at once.
  StartRecord stuck;
  stuck.first = {2.0, 1.0, 1.0};
  Vector at = stuck.first;
  ASSERT_TRUE(move_start(stuck, at, StartMove{"no_step", {}, {}}, reference, 4));
  EXPECT_EQ(stuck.share, 0.0);
}

TEST(McmleSteps, TheIntervalFollowsTheSlowestStatistic) {
  McmleControl control;
  SampleMoments m;
  m.networks = 1024;
  m.sd = {1.0, 1.0};
  ConvergenceTest near;
  near.max_abs_t = 0.5;
  const double wanted = control.least_effective_share * 1024;  // 128
  const auto tuned = [&](double least) {
    m.effective_size = {least, 2 * least};
    return tuned_interval(1000, m, near, control, 256);
  };
  EXPECT_EQ(tuned(wanted / 2), 2400) << "1.2 times what would bring it to 128";
  EXPECT_EQ(tuned(1.0), 8000) << "at most 8 times";
  EXPECT_EQ(tuned(wanted), 1000);
  EXPECT_EQ(tuned(1.9 * wanted), 1000);
  EXPECT_EQ(tuned(4 * wanted), 300) << "shorter, by the same rule";
  EXPECT_EQ(tuned(1000), 256) << "but not below the shortest";
  ConvergenceTest far;
  far.max_abs_t = 50.0;
  m.effective_size = {1.0, 1.0};
  EXPECT_EQ(tuned_interval(1000, m, far, control, 256), 1000) << "far away it says nothing";
}

TEST(McmleSteps, TheFinalSampleIsSizedForItsErrors) {
  // The effective size whose errors are within 5% is the least that is.
  for (int p : {1, 3, 13, 60}) {
    const double n = effective_size_for_errors(p, 0.05);
    EXPECT_LE(error_precision(n, p), 0.05) << p;
    EXPECT_GT(error_precision(n - 1, p), 0.05) << p;
  }
  EXPECT_GT(effective_size_for_errors(13, 0.05), effective_size_for_errors(3, 0.05));
  McmleControl control;
  SampleMoments m;
  m.networks = 1024;
  m.sd = {1.0, 1.0};
  m.spread_effective_size = {128.0, 512.0};  // the slowest: 8 networks per effective one
  const FinalSampleSize size = final_sample_size(m, 500, 2, control);
  const double needed = effective_size_for_errors(2, 0.05);
  EXPECT_EQ(size.interval, 500);
  EXPECT_EQ(size.networks % control.chains, 0);
  EXPECT_GE(size.networks, 1.1 * needed * 8.0);
  EXPECT_LT(size.networks, 1.1 * needed * 8.0 + control.chains);
  m.spread_effective_size = {1.0, 1.0};  // beyond 16 times the sample size: a longer interval
  const FinalSampleSize longer = final_sample_size(m, 500, 2, control);
  EXPECT_GT(longer.interval, 500);
  EXPECT_LE(longer.networks, 16 * control.sample_size);
  // A final sample that turned out slower than the last asks for more, at most as many again.
  m.spread_effective_size = {needed / 3, 1024.0};
  EXPECT_EQ(networks_still_needed(m, 2, control), 1024);
  m.spread_effective_size = {needed, 1024.0};
  EXPECT_EQ(networks_still_needed(m, 2, control), 0);
}

TEST(McmleSteps, TheSimulationCheckAllowsTheMonteCarloErrorAndNoMore) {
  McmleControl control;
  SampleMoments m;
  m.networks = 4000;
  m.mean = {0.0, 0.0};
  m.sd = {1.0, 1.0};
  m.effective_size = {400.0, 400.0};
  SampleMoments before = m;
  before.effective_size = {1e12, 1e12};  // an estimate without error of its own
  ConvergenceTest test;
  test.t_ratio = {0.1, -0.15};
  const SimulationCheck within = simulation_check(m, test, before, control);
  EXPECT_TRUE(within.passed);
  EXPECT_NEAR(within.z, 2.807, 0.001) << "the upper 0.25% point: 1% over two statistics";
  EXPECT_NEAR(within.allowance[0], 0.1 + within.z / 20.0, 1e-9);
  test.t_ratio = {0.1, 0.3};
  EXPECT_FALSE(simulation_check(m, test, before, control).passed);
  // The estimate's own step error widens the allowance.
  before.effective_size = {100.0, 100.0};
  EXPECT_TRUE(simulation_check(m, test, before, control).passed);
}

// A step that would take a decay below 0 is halved until it does not.
TEST(McmleSteps, ADecayStaysAtOrAboveZero) {
  TermContext context;
  context.node_count = 5;
  context.directed = false;
  const Model model = model_of_formula("edges + gwesp(0.5)", context);
  const Vector theta = {-1.0, 0.2, 0.1};  // edges, weight, decay
  // One entry per canonical statistic: edges and the shared-partner counts 1..n-2.
  ASSERT_EQ(model.parameter_count(), 4);
  const std::vector<Vector> sample = {
      {1.0, 2.0, 0.0, 0.0}, {2.0, 1.0, 0.0, 0.0}, {3.0, 1.0, 1.0, 0.0}};
  const Vector move = capped_move(model, theta, {0.0, 0.0, -1.0}, sample, McmleControl{});
  EXPECT_DOUBLE_EQ(move[2], -0.0625);
  EXPECT_GE(theta[2] + move[2], 0.0);
}

TEST(McmleSteps, TheWeightShareOfAStep) {
  const std::vector<Vector> two = {{0.0}, {1.0}};
  EXPECT_DOUBLE_EQ(weight_share(two, {0.0}), 1.0);
  // Weights 1 and e: (1 + e)^2 / (1 + e^2) / 2.
  const double e = std::exp(1.0);
  EXPECT_NEAR(weight_share(two, {1.0}), (1 + e) * (1 + e) / (1 + e * e) / 2.0, 1e-12);
}

}  // namespace
}  // namespace tarn
