// The pseudo-likelihood within a sample space that fixes dyads goes over the free dyads only:
// against a logistic regression written here (Newton's method on two coefficients) over the free
// dyads' responses and change statistics, counted by hand from the links.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/sample_space.h"
#include "mple/estimate_existence.h"
#include "mple/pseudo_likelihood.h"
#include "support/networks.h"

namespace tarn {
namespace {

// Maximum likelihood of P(y = 1) = logistic(b0 + b1 x).
std::vector<double> logistic_fit(const std::vector<double>& x, const std::vector<int>& y) {
  double b0 = 0.0, b1 = 0.0;
  for (int pass = 0; pass < 100; ++pass) {
    double g0 = 0, g1 = 0, h00 = 0, h01 = 0, h11 = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
      const double p = 1.0 / (1.0 + std::exp(-(b0 + b1 * x[k])));
      g0 += y[k] - p, g1 += (y[k] - p) * x[k];
      const double w = p * (1.0 - p);
      h00 += w, h01 += w * x[k], h11 += w * x[k] * x[k];
    }
    const double det = h00 * h11 - h01 * h01;
    b0 += (h11 * g0 - h01 * g1) / det;
    b1 += (h00 * g1 - h01 * g0) / det;
  }
  return {b0, b1};
}

TEST(FreeDyads, PseudoLikelihoodIsTheLogisticFitOverTheFreeDyadsOnly) {
  // 12 nodes in schools a (1..7) and b (8..12); links only within a school.
  const int n = 12;
  NodeCovariates attributes;
  attributes.node_count = n;
  attributes.columns = {{"school", {}}};
  for (int i = 1; i <= n; ++i) attributes.columns[0].value.push_back(i <= 7 ? "a" : "b");
  auto school = [](int i) { return i <= 7 ? 0 : 1; };
  std::mt19937 random(5);
  test::LinkList links;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j && school(i) == school(j) && random() % 3 == 0) links.emplace_back(i, j);
  TermContext context;
  context.node_count = n;
  context.attributes = &attributes;
  Study study;
  study.network = test::network_of(links);
  study.estimate_bound = std::numeric_limits<double>::infinity();
  study.newton_until_settled = true;
  study.model = model_of_formula("edges + mutual", context);
  study.space = std::make_shared<const SampleSpace>(
      build_sample_space("blockdiag(\"school\")", study.graph(), attributes));

  const TermGraph g = study.graph();
  std::vector<double> mutual_change;
  std::vector<int> response;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j && school(i) == school(j)) {
        mutual_change.push_back(g.has_link(j, i) ? 1.0 : 0.0);
        response.push_back(g.has_link(i, j) ? 1 : 0);
      }
  ASSERT_EQ(response.size(), 7u * 6u + 5u * 4u);
  const std::vector<double> want = logistic_fit(mutual_change, response);
  const FitResult fit = fit_pseudo_likelihood(study);
  EXPECT_NEAR(fit.estimate(1), want[0], 1e-7);
  EXPECT_NEAR(fit.estimate(2), want[1], 1e-7);
  EXPECT_TRUE(check_estimate_existence(study).exists);

  // Edges alone: the log-odds of the free dyads' density, not of every dyad's.
  study.model = model_of_formula("edges", context);
  const double density = static_cast<double>(links.size()) / static_cast<double>(response.size());
  EXPECT_NEAR(fit_pseudo_likelihood(study).estimate(1), std::log(density / (1.0 - density)), 1e-9);
}

TEST(FreeDyads, SeparationIsLookedForAmongTheFreeDyadsOnly) {
  // Every free dyad holds a link (1-2 and 2-1 free, both linked): edges runs to infinity there,
  // though most of the network is empty.
  NodeCovariates attributes;
  attributes.node_count = 5;
  attributes.columns = {{"g", {"x", "x", "y", "z", "w"}}};
  TermContext context;
  context.node_count = 5;
  context.attributes = &attributes;
  Study study;
  study.network = test::network_of({{1, 2}, {2, 1}, {5, 5}});
  study.model = model_of_formula("edges", context);
  EXPECT_TRUE(check_estimate_existence(study).exists);
  study.space = std::make_shared<const SampleSpace>(
      build_sample_space("blockdiag(g)", study.graph(), attributes));
  EXPECT_FALSE(check_estimate_existence(study).exists);
}

}  // namespace
}  // namespace tarn
