// Exact draws by classes of pairs against every network on 5 nodes (the exact mean and
// covariance of the statistics, directed and undirected, with attribute terms), and their draws'
// mean and covariance against those closed forms, also on 20000 nodes where the pairs of a class
// number 10^8 and the sampler takes its large-mean branch.
#include "simulate/dyad_class_draws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/model.h"
#include "network/network.h"
#include "support/exact_networks.h"

namespace tarn {
namespace {

struct Attributes {
  NodeCovariates columns;
};

Study study_of(const std::string& formula, int n, bool directed, Attributes& a) {
  a.columns.node_count = n;
  a.columns.source = "attributes.csv";
  AttributeColumn group{"group", {}}, kind{"kind", {}};
  for (int i = 0; i < n; ++i) {
    group.value.push_back(std::to_string(1 + i % 2));
    kind.value.push_back(std::string(1, char('a' + (i / 2) % 3)));
  }
  a.columns.columns = {group, kind};
  TermContext context;
  context.directed = directed;
  context.node_count = n;
  context.attributes = &a.columns;
  NetworkBuilder builder("test", command_line_limits);
  builder.declare_nodes(n);
  Study study;
  study.network = std::move(builder).finish();
  study.model = model_of_formula(formula, context);
  return study;
}

Vector coefficients_for(int p) {
  Vector eta;
  for (int k = 0; k < p; ++k) eta.push_back(k == 0 ? -1.3 : 0.4 + 0.3 * ((k * 7) % 5) - 0.6);
  return eta;
}

const char* const directed_formulas[] = {
    "edges + mutual", "edges + mutual + nodematch(group)",
    "edges + nodeofactor(kind) + nodeifactor(group) + nodematch(kind, diff=TRUE)",
    "mutual + nodemix(group) + absdiff(group)"};

TEST(DyadClassDraws, ExactMomentsAreThoseOfEveryNetwork) {
  for (const bool directed : {true, false}) {
    for (const char* formula : directed_formulas) {
      const std::string text = directed ? formula : "edges + nodematch(kind) + nodefactor(group)";
      SCOPED_TRACE(text);
      Attributes a;
      const Study study = study_of(text, 5, directed, a);
      ASSERT_TRUE(DyadClassDraws::apply(study));
      const DyadClassDraws draws(study);
      const Vector eta = coefficients_for(study.model.parameter_count());
      const test::ExactMoments exact =
          test::exact_moments(test::every_network(study.model, 5), eta);
      const Vector mean = draws.mean(eta);
      const Matrix covariance = draws.covariance(eta);
      for (std::size_t k = 0; k < eta.size(); ++k) {
        EXPECT_NEAR(mean[k], exact.mean[k], 1e-10 * (1.0 + std::fabs(exact.mean[k]))) << k;
        for (std::size_t l = 0; l < eta.size(); ++l) {
          EXPECT_NEAR(covariance(int(k), int(l)), exact.covariance(int(k), int(l)), 1e-10)
              << k << " " << l;
        }
      }
    }
  }
}

// The draws' mean within 5 standard errors of the exact one, their variances within 5 standard
// errors of a variance (a relative error of sqrt(2 / draws)), the links those of the statistics.
void expect_draws_match(const Study& study, const Vector& eta, int count) {
  const DyadClassDraws draws(study);
  const Vector mean = draws.mean(eta);
  const Matrix covariance = draws.covariance(eta);
  const std::size_t p = eta.size();
  Vector sum(p, 0.0), square(p, 0.0);
  RandomStream random(11, 0);
  for (int d = 0; d < count; ++d) {
    std::int64_t links = 0;
    const Vector s = draws.draw(eta, random, &links);
    EXPECT_EQ(static_cast<double>(links), s[0]);  // edges first
    for (std::size_t k = 0; k < p; ++k) {
      sum[k] += s[k];
      square[k] += (s[k] - mean[k]) * (s[k] - mean[k]);
    }
  }
  for (std::size_t k = 0; k < p; ++k) {
    const double variance = covariance(int(k), int(k));
    EXPECT_NEAR(sum[k] / count, mean[k], 5.0 * std::sqrt(variance / count) + 1e-12) << k;
    EXPECT_NEAR(square[k] / count, variance, 5.0 * std::sqrt(2.0 / count) * variance + 1e-12) << k;
  }
}

TEST(DyadClassDraws, DrawsHaveTheExactMeanAndVariance) {
  Attributes a;
  const Study small = study_of(directed_formulas[2], 5, true, a);
  expect_draws_match(small, coefficients_for(small.model.parameter_count()), 20000);
  Attributes b;
  // 20000 nodes: 2 x 10^8 pairs, a mean of some 10^4 links per class.
  const Study large =
      study_of("edges + mutual + nodematch(group) + nodeofactor(kind)", 20000, true, b);
  expect_draws_match(large, {-9.0, 4.0, 1.5, 0.3, -0.2}, 20000);
  Attributes c;
  const Study undirected = study_of("edges + nodematch(kind)", 20000, false, c);
  expect_draws_match(undirected, {-9.5, 2.0}, 20000);
}

}  // namespace
}  // namespace tarn
