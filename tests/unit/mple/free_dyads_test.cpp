// The pseudo-likelihood within a sample space that fixes dyads goes over the free dyads only:
// against an independent logistic regression (support/logistic.h) over the free dyads' responses
// and change statistics, counted by hand from the links.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/sample_space.h"
#include "mple/estimate_existence.h"
#include "mple/pseudo_likelihood.h"
#include "support/logistic.h"
#include "support/models.h"
#include "support/networks.h"

namespace tarn {
namespace {

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
  test::Mat rows;  // a constant and the change of mutual
  std::vector<int> response;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j && school(i) == school(j)) {
        rows.push_back({1.0, g.has_link(j, i) ? 1.0 : 0.0});
        response.push_back(g.has_link(i, j) ? 1 : 0);
      }
  ASSERT_EQ(response.size(), 7u * 6u + 5u * 4u);
  const std::vector<double> want = test::solve_logistic(rows, response).b;
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
  const NodeCovariates attributes = test::node_attributes(5, {{"g", {"x", "x", "y", "z", "w"}}});
  Study study = test::formula_study("edges", {{1, 2}, {2, 1}, {5, 5}}, attributes);
  EXPECT_TRUE(check_estimate_existence(study).exists);
  study.space = std::make_shared<const SampleSpace>(
      build_sample_space("blockdiag(g)", study.graph(), attributes));
  EXPECT_FALSE(check_estimate_existence(study).exists);
}

}  // namespace
}  // namespace tarn
