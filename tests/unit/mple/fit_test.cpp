// The fit against an independent logistic regression and at its edges; gaussj.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "mple/pseudo_likelihood.h"
#include "numeric/gaussj.h"
#include "support/brute_force.h"
#include "support/brute_terms.h"
#include "support/fits.h"
#include "support/logistic.h"

namespace tarn {
namespace {

using test::Fitted;
using test::LinkList;
using test::Logistic;
using test::Mat;
using test::solve_logistic;
using test::Vec;
const double nan = std::numeric_limits<double>::quiet_NaN();

Fitted fit(const LinkList& links, const std::vector<int>& types) {
  Fitted f{test::network_of(links), test::model_of(std::span<const int>(types)), {}, {}, false, {}};
  f.fit();
  EXPECT_EQ(f.result.end, FitEnd::completed);
  return f;
}

void expect_same_fit(const FitResult& r, const Logistic& s, std::size_t dyads) {
  EXPECT_FALSE(r.too_many_iterations);
  EXPECT_FALSE(r.final_inversion_failed);
  for (std::size_t k = 0; k < s.b.size(); ++k) {
    const int p = static_cast<int>(k) + 1;
    const double se = std::sqrt(s.inverse[k][k]);
    EXPECT_NEAR(r.estimate(p), s.b[k], 1e-4) << "parameter " << p;
    EXPECT_NEAR(std::sqrt(r.covariance(p, p)), se, 1e-4 * se) << "parameter " << p;
  }
  EXPECT_NEAR(r.loglik, s.loglik, 1e-6);
  EXPECT_EQ(r.dyad_count, static_cast<std::int64_t>(dyads));
}

// The configuration types' brute-force change statistics, against the fit.
void check_against_brute_force(int n, double density, double reciprocity, unsigned seed,
                               const std::vector<int>& types) {
  SCOPED_TRACE(::testing::Message() << "n " << n << " seed " << seed);
  const auto links = test::random_network(n, density, reciprocity, seed);
  const auto adjacency = test::Adjacency::from_links(n, links);
  Mat x;
  std::vector<int> y;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const auto change = test::brute_change_stats(adjacency, i, j);
      x.emplace_back();
      for (int t : types) x.back().push_back(double(change[static_cast<std::size_t>(t)]));
      y.push_back(adjacency(i, j));
    }
  expect_same_fit(fit(links, types).result, solve_logistic(x, y), y.size());
}

// A model of geometrically weighted terms through the term table, against the logistic regression
// on its change statistics counted from the definitions with and without each dyad's link
// (undirected: one observation per pair i < j, the edge both ways).
void check_gw_model(const test::Ties& ties, const std::function<Vec(const test::Ties&)>& statistics,
                    const char* formula) {
  const int n = ties.n;
  LinkList links;
  Mat x;
  std::vector<int> y;
  for (int i = 1; i <= n; ++i)
    for (int j = ties.directed ? 1 : i + 1; j <= n; ++j) {
      if (i == j) continue;
      if (ties(i, j)) links.emplace_back(i, j);
      test::Ties with = ties, without = ties;
      for (const auto& [a, b] : {std::pair{i, j}, std::pair{j, i}}) {
        if (ties.directed && a != i) continue;
        with.x[std::size_t(a)][std::size_t(b)] = 1;
        without.x[std::size_t(a)][std::size_t(b)] = 0;
      }
      const Vec up = statistics(with), down = statistics(without);
      x.push_back({1.0});
      for (std::size_t k = 0; k < up.size(); ++k) x.back().push_back(up[k] - down[k]);
      y.push_back(ties(i, j));
    }
  Study study;
  study.network = test::network_of(links);
  TermContext context;
  context.directed = ties.directed;
  context.node_count = n;
  study.model = model_of_formula(formula, context);
  ASSERT_FALSE(study.model.kernel);
  ASSERT_EQ(study.dyad_count(), std::int64_t(y.size()));
  expect_same_fit(fit_pseudo_likelihood(study), solve_logistic(x, y), y.size());
}

TEST(LogisticCheck, GeometricallyWeightedModelsAgreeWithAnIndependentSolver) {
  for (unsigned seed : {7u, 8u}) {
    const int n = 22;
    test::Ties ties{n, true, std::vector<std::vector<int>>(n + 1, std::vector<int>(n + 1, 0))};
    for (const auto& [a, b] : test::random_network(n, 0.2, 0.4, seed))
      ties.x[std::size_t(a)][std::size_t(b)] = 1;
    check_gw_model(
        ties,
        [](const test::Ties& t) {
          double mutual = 0;
          for (int a = 1; a <= t.n; ++a)
            for (int b = a + 1; b <= t.n; ++b) mutual += t(a, b) * t(b, a);
          return Vec{mutual, test::gw_edgewise(t, "OTP", 0.5), test::gw_degrees(t, 0, 0.3),
                     test::gw_degrees(t, 1, 0.3)};
        },
        "edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.3, fixed=TRUE) + "
        "gwodegree(0.3, fixed=TRUE)");
  }
  for (unsigned seed : {17u, 18u}) {
    const int n = 24;
    test::Ties ties{n, false, std::vector<std::vector<int>>(n + 1, std::vector<int>(n + 1, 0))};
    for (const auto& [a, b] : test::random_network(n, 0.2, 0.0, seed))
      ties.x[std::size_t(a)][std::size_t(b)] = ties.x[std::size_t(b)][std::size_t(a)] = 1;
    check_gw_model(
        ties,
        [](const test::Ties& t) {
          double two_stars = 0;
          for (int a = 1; a <= t.n; ++a) two_stars += test::choose(test::degree(t, a, 2), 2);
          return Vec{two_stars, test::gw_edgewise(t, "", 0.5), test::gw_dyadwise(t, "", 0.2),
                     test::gw_degrees(t, 2, 0.8)};
        },
        "edges + kstar(2) + gwesp(0.5, fixed=TRUE) + gwdsp(0.2, fixed=TRUE) + "
        "gwdegree(0.8, fixed=TRUE)");
  }
}

TEST(LogisticCheck, AgreesWithAnIndependentSolver) {
  const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7};
  check_against_brute_force(24, 0.25, 0.4, 101, all);
  check_against_brute_force(30, 0.2, 0.3, 202, all);
  check_against_brute_force(36, 0.15, 0.5, 303, all);
  check_against_brute_force(28, 0.2, 0.4, 404, {6, 1, 2});
  check_against_brute_force(26, 0.3, 0.2, 505, {4, 3, 1});
  check_against_brute_force(30, 0.2, 0.4, 606, {1, 2, 8, 9, 10, 11, 14});
}

// Comparative value 1 on every tie, 5 on one: the estimate is held at 15, the dyad with value 5
// gets weight 0, and no NaN follows.
TEST(ZeroWeight, SeparatingStatisticAtTheBound) {
  const LinkList ring = {{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5},  {4, 6},  {5, 6},
                         {5, 7}, {6, 7}, {6, 8}, {7, 8}, {7, 9}, {8, 9}, {8, 10}, {9, 10}, {10, 1}};
  std::vector<std::array<int, 3>> records;
  for (const auto& [i, j] : ring) records.push_back({i, j, i == 4 && j == 6 ? 5 : 1});
  Fitted f{test::network_of(ring),
           test::model_of({1, 16}),
           test::comparative_of(10, records),
           {},
           false,
           {}};
  const FitResult& r = f.fit();
  EXPECT_TRUE(r.too_many_iterations);
  EXPECT_EQ(r.estimate(2), 15.0);
  EXPECT_GT(r.zero_weight_dyads, 0);
  EXPECT_FALSE(r.final_inversion_failed);
  for (double v : {r.loglik, r.pearson_sum, r.abs_resid_sum, r.covariance(1, 1)})
    EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(r.class_table[0][0] + r.class_table[1][1], 90);  // every dyad classified right
}

// Dyads predicted with probability exactly 0 or 1 against their observation.
TEST(ZeroWeight, DyadPredictedExactlyWrongGivesInfiniteGoodnessOfFit) {
  const Fitted f =
      fit({{1, 6}, {2, 4}, {3, 4}, {4, 6}, {4, 2}, {4, 3}, {5, 6}, {6, 4}}, {4, 5, 10});
  EXPECT_TRUE(std::isinf(f.result.pearson_sum));
  EXPECT_TRUE(std::isfinite(f.result.loglik));
}

// The final matrix cannot be inverted: estimates kept, NaN covariances.
TEST(FinalInversion, FailureGivesNaNCovariances) {
  const Fitted f = fit(test::final_inversion_fails, {6, 12});
  EXPECT_TRUE(f.result.final_inversion_failed);
  EXPECT_EQ(f.result.estimate(1), -15.0);
  EXPECT_EQ(f.result.estimate(2), 15.0);
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 2; ++c) EXPECT_TRUE(std::isnan(f.result.covariance(r, c)));
}

// A Newton pass without a usable pivot ends the fit after pass 8.
TEST(NewtonFailure, EndsTheFit) {
  const LinkList links = {{1, 5}, {1, 6}, {1, 4}, {1, 2}, {2, 1}, {2, 7}, {3, 5}, {3, 4},
                          {4, 3}, {4, 1}, {4, 6}, {5, 1}, {5, 3}, {6, 4}, {6, 1}, {7, 2}};
  Fitted f{test::network_of(links), test::model_of({7, 13}), {}, {}, false, {}};
  std::vector<int> passes;
  FitObserver observer;
  observer.pass_started = [&passes](int pass) { passes.push_back(pass); };
  EXPECT_EQ(f.fit(observer).end, FitEnd::wxsq_singular);
  EXPECT_EQ(passes, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

// The pseudo-score vanishes at the estimate, and a refit started there stays there: the fit
// through the kernel and through the term table alike.
TEST(PseudoScore, ZeroAtTheEstimateAndARefitReturnsIt) {
  const auto links = test::random_network(20, 0.2, 0.4, 31);
  TermContext context;
  context.node_count = 20;
  for (const char* formula : {"edges,mutual,ttriple", "edges + mutual + gwesp(0.5, fixed=TRUE)"}) {
    SCOPED_TRACE(formula);
    Study study;
    study.network = test::network_of(links);
    study.model = model_of_formula(formula, context);
    const FitResult fit = fit_pseudo_likelihood(study);
    ASSERT_EQ(fit.end, FitEnd::completed);
    const ParamVector score = pseudo_score(study, fit.estimate);
    const FitResult again = fit_pseudo_likelihood_from(study, fit.estimate);
    for (int k = 1; k <= 3; ++k) {
      // Newton stops when the estimates move by 0.1% of their size: the score is small, not 0.
      EXPECT_LT(std::fabs(score(k)), 1e-3 * std::sqrt(1.0 / fit.covariance(k, k))) << k;
      EXPECT_NEAR(again.estimate(k), fit.estimate(k), 1e-3 * std::fabs(fit.estimate(k))) << k;
    }
    EXPECT_LE(again.newton_passes, 2);
  }
}

// The worked example: ten nodes, 18 links, the edges alone.
TEST(WorkedExample, EdgesAlone) {
  LinkList links = {{1, 2}};
  for (int i = 2; i <= 9; ++i) links.push_back({i, i - 1}), links.push_back({i, i + 1});
  links.push_back({10, 9});
  const Fitted f = fit(links, {1});
  const FitResult& r = f.result;
  EXPECT_EQ(r.dyad_count, 90);
  EXPECT_NEAR(r.estimate(1), std::log(18.0 / 72.0), 1e-12);
  EXPECT_NEAR(r.loglik, r.null_loglik, 1e-9);
  EXPECT_NEAR(-2 * r.loglik, 90.072436, 1e-6);
  EXPECT_NEAR(r.covariance(1, 1), 1 / (90 * 0.2 * 0.8), 1e-12);
  EXPECT_EQ(r.class_table[0][0], 72);
  EXPECT_EQ(r.class_table[1][0], 18);
  EXPECT_EQ(r.newton_passes, 1);
}

using Rows = std::vector<std::vector<double>>;

std::unique_ptr<ParamMatrix> matrix_of(const Rows& rows) {
  auto a = std::make_unique<ParamMatrix>(static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) (*a)(int(r) + 1, int(c) + 1) = rows[r][c];
  return a;
}

void expect_block(const ParamMatrix& a, const Rows& rows, double tolerance) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      EXPECT_NEAR(a(int(r) + 1, int(c) + 1), rows[r][c], tolerance) << r + 1 << ", " << c + 1;
}

TEST(Gaussj, EdgeCases) {
  const struct {
    const char* name;
    Rows a;
    int invertible;
    int steps_done = -1;                  // -1: not checked
    int pivot_row = 0, pivot_column = 0;  // of the first step; 0: not checked
    Rows inverse = {};                    // empty: not checked; compared exactly
  } cases[] = {
      {"all ones fail at the second step", {{1, 1}, {1, 1}}, 0, 1, 2, 2},
      {"zero row", {{1, 2, 3}, {0, 0, 0}, {4, 5, 7}}, 0},
      {"zero column", {{1, 0, 3}, {2, 0, 5}, {4, 0, 7}}, 0},
      {"equal columns", {{1, 2, 1}, {3, 5, 3}, {2, 7, 2}}, 0},
      {"zeros", {{0, 0}, {0, 0}}, 0},
      {"pivot 1e-11", {{1e-11}}, 0},
      {"pivot 1e-10", {{1e-10}}, 1, -1, 0, 0, {{1.0 / 1e-10}}},
      {"pivot -1e-10", {{-1e-10}}, 1},
      {"only NaN", {{nan, nan}, {nan, nan}}, 0, 0},
      {"one NaN", {{nan}}, 0},
      {"NaN never the pivot", {{2, nan}, {nan, nan}}, 0, -1, 1, 1},
      {"ties go to the last largest entry", {{1, -3, 2}, {3, 0, 1}, {-3, 1, 1}}, 1, -1, 3, 1},
      {"permutation exchanges rows", {{0, 1}, {1, 0}}, 1, -1, 2, 1, {{0, 1}, {1, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto a = matrix_of(c.a);
    GaussjTrace trace;
    const bool invertible = gaussj(*a, static_cast<int>(c.a.size()), trace);
    EXPECT_EQ(invertible ? 1 : 0, c.invertible);
    if (c.steps_done >= 0) {
      EXPECT_EQ(trace.steps_done, c.steps_done);
    }
    if (c.pivot_row > 0) {
      EXPECT_EQ(trace.step_row[0], c.pivot_row);
      EXPECT_EQ(trace.step_column[0], c.pivot_column);
    }
    if (!c.inverse.empty()) expect_block(*a, c.inverse, 0.0);
  }
}

// A cancel raised during a fit stops it at the next sender of the sweep under way, for the fused
// kernel's model and the term table's alike; a flag never raised changes nothing.
TEST(Cancel, StopsTheSweepUnderWay) {
  const auto links = test::random_network(30, 0.15, 0.4, 3u);
  for (const char* formula : {"edges + mutual", "edges + mutual + gwesp(0.5, fixed=TRUE)"}) {
    Study study;
    study.network = test::network_of(links);
    TermContext context;
    context.node_count = 30;
    study.model = model_of_formula(formula, context);
    std::atomic<bool> flag{false};
    int passes = 0;
    FitObserver observer;
    observer.cancel = &flag;
    observer.pass_started = [&](int pass) {
      ++passes;
      if (pass == 3) flag = true;
    };
    EXPECT_THROW(fit_pseudo_likelihood(study, observer), WorkCancelled) << formula;
    EXPECT_EQ(passes, 3) << formula;
    flag = false;
    observer.pass_started = {};
    EXPECT_EQ(fit_pseudo_likelihood(study, observer).estimate(1),
              fit_pseudo_likelihood(study).estimate(1));
  }
}

}  // namespace
}  // namespace tarn
