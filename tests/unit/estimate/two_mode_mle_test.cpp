// Two-mode networks against exact references: every network of 3 + 4 nodes whose links join the
// modes (2^12) enumerated, the exact MLE found by Newton's method on the exact log-likelihood. A
// dyad-independent model's pseudo-likelihood fit is that MLE itself; maximum likelihood by MCMC
// of a dependent one lies within its Monte Carlo error of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "estimate/estimate.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "model/model.h"
#include "model/sample_space.h"
#include "numeric/gaussj.h"
#include "support/networks.h"

namespace tarn {
namespace {

using Vector = std::vector<double>;
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

// The statistics of every two-mode network, with their counts, by Gray code over the dyads
// between the modes.
std::map<Vector, double> every_two_mode_network(const Study& study) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= first_mode; ++i)
    for (int j = first_mode + 1; j <= nodes; ++j) dyads.emplace_back(i, j);
  TermGraph g(nodes, false, study.model.partner_tables());
  g.set_bipartite(first_mode);
  Vector statistics = study.model.network_statistics(g), delta(statistics.size());
  std::map<Vector, double> count;
  for (std::uint32_t k = 0; k < (1u << dyads.size()); ++k) {
    if (k > 0) {
      const auto& [i, j] = dyads[std::size_t(__builtin_ctz(k))];
      study.model.add_changes(g, i, j, delta.data());
      const double sign = g.has_link(i, j) ? -1.0 : 1.0;
      for (std::size_t s = 0; s < delta.size(); ++s) statistics[s] += sign * delta[s];
      g.toggle(i, j);
    }
    Vector key = statistics;
    for (double& v : key) v = std::round(v * 1e7) / 1e7;
    count[key] += 1.0;
  }
  return count;
}

struct Exact {
  Vector estimate;
  ParamMatrix covariance{2};  // of the statistics at the estimate
  double log_likelihood = 0.0;
  Vector mean;
};

// The log-likelihood of the observed statistics at theta, the mean and covariance of the
// statistics there.
Exact exact_at(const std::map<Vector, double>& classes, const Vector& observed,
               const Vector& theta) {
  Exact e;
  e.estimate = theta;
  double z = 0.0, largest = -1e300;
  for (const auto& [v, c] : classes) largest = std::max(largest, theta[0] * v[0] + theta[1] * v[1]);
  Vector mean(2, 0.0);
  ParamMatrix second(2);
  for (const auto& [v, c] : classes) {
    const double w = c * std::exp(theta[0] * v[0] + theta[1] * v[1] - largest);
    z += w;
    for (int a = 0; a < 2; ++a) {
      mean[std::size_t(a)] += w * v[std::size_t(a)];
      for (int b = 0; b < 2; ++b) second(a + 1, b + 1) += w * v[std::size_t(a)] * v[std::size_t(b)];
    }
  }
  for (double& m : mean) m /= z;
  for (int a = 1; a <= 2; ++a)
    for (int b = 1; b <= 2; ++b)
      e.covariance(a, b) = second(a, b) / z - mean[std::size_t(a - 1)] * mean[std::size_t(b - 1)];
  e.log_likelihood = theta[0] * observed[0] + theta[1] * observed[1] - largest - std::log(z);
  e.mean = mean;
  return e;
}

// Newton's method on the exact log-likelihood of two coefficients, halving a step that lowers it.
Exact exact_mle(const Study& study) {
  const std::map<Vector, double> classes = every_two_mode_network(study);
  const Vector observed = study.statistics();
  Exact e = exact_at(classes, observed, {0.0, 0.0});
  for (int iteration = 0; iteration < 500; ++iteration) {
    ParamMatrix inverse = e.covariance;
    EXPECT_TRUE(gaussj(inverse, 2));
    Vector step(2, 0.0);
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2; ++b)
        step[std::size_t(a)] +=
            inverse(a + 1, b + 1) * (observed[std::size_t(b)] - e.mean[std::size_t(b)]);
    if (std::max(std::fabs(step[0]), std::fabs(step[1])) < 1e-12) break;
    for (int halving = 0; halving < 60; ++halving) {
      const Exact next =
          exact_at(classes, observed, {e.estimate[0] + step[0], e.estimate[1] + step[1]});
      if (next.log_likelihood >= e.log_likelihood - 1e-13) {
        e = next;
        break;
      }
      step[0] *= 0.5, step[1] *= 0.5;
    }
  }
  return e;
}

TEST(TwoModeMle, ThereAreTwelveDyadsAndFourThousandNetworks) {
  const Study study = study_of("edges + b1star(2)");
  EXPECT_EQ(study.dyad_count(), 12);
  double networks = 0.0;
  for (const auto& [v, c] : every_two_mode_network(study)) networks += c;
  EXPECT_EQ(networks, 4096.0);
}

TEST(TwoModeMle, PseudoLikelihoodOfADyadIndependentModelIsTheExactMle) {
  const Study study = study_of("edges + b1factor(group)");
  const Exact exact = exact_mle(study);
  const Estimate fit = fit_by_pseudo_likelihood(study, EstimatorSettings{}, {});
  ASSERT_TRUE(fit.converged) << fit.outcome;
  for (int k = 1; k <= 2; ++k) {
    EXPECT_NEAR(fit.result.estimate(k), exact.estimate[std::size_t(k - 1)], 1e-7) << k;
  }
  ASSERT_TRUE(fit.log_likelihood.has_value());
  EXPECT_NEAR(*fit.log_likelihood, exact.log_likelihood, 1e-8);
}

TEST(TwoModeMle, MonteCarloEstimateOfEdgesAndFirstModeStarsAgreesWithTheExactOne) {
  const Study study = study_of("edges + b1star(2)");
  const Exact exact = exact_mle(study);
  EstimatorSettings settings;
  settings.mcmle.sample_size = 4096;
  settings.sampling.interval = 200;
  settings.sampling.threads = 2;
  settings.sampling.seed = 5;
  const Estimate e = fit_by_mcmle(study, settings, {});
  ASSERT_TRUE(e.converged) << e.outcome << " " << e.result.estimate(1) << " "
                           << e.result.estimate(2) << " exact " << exact.estimate[0] << " "
                           << exact.estimate[1] << " obs " << study.statistics()[0] << " "
                           << study.statistics()[1];
  ParamMatrix inverse_fisher = exact.covariance;
  ASSERT_TRUE(gaussj(inverse_fisher, 2));
  for (int k = 1; k <= 2; ++k) {
    const double variance = e.errors.covariance(k, k);
    const double mc = std::sqrt(variance * e.mcmc_error_percent[std::size_t(k - 1)] / 100.0);
    EXPECT_NEAR(e.result.estimate(k), exact.estimate[std::size_t(k - 1)], 4.0 * mc + 1e-3) << k;
    const double se = std::sqrt(inverse_fisher(k, k));
    EXPECT_NEAR(std::sqrt(variance), se, 0.1 * se) << k;
  }
}

}  // namespace
}  // namespace tarn
