// The fit: against an independent logistic regression, and at its edges (weight-0 dyads, the
// bound, a failed final inversion, a failed Newton pass).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fit/fit_model.h"
#include "fit/pseudo_likelihood.h"
#include "support/brute_force.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;
using Vec = std::vector<double>;
using Mat = std::vector<Vec>;

// The parameter list `columns` (global columns 1..16) with the switches its types need.
void set_model(World& w, const std::vector<int>& columns) {
  w.rec.data.zero = 0.0;
  w.rec.data.one = 1.0;
  w.rec.flags.skip_diagonal = 1;
  w.rec.stats.param_count = static_cast<int16>(columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k)
    w.rec.stats.param_column(static_cast<int>(k) + 1) = static_cast<int16>(columns[k]);
  w.select_types(std::span<const int>(columns.data(), columns.size()));
}

// fit_model with an output file; returns the file's text.
std::string fit_and_report(World& w) {
  const auto path = std::filesystem::path(::testing::TempDir()) / "tarnwick_fit_test.out";
  w.io.output_file = std::make_unique<std::ofstream>(path);
  fit_model(w.rec, w.io);
  w.io.output_file.reset();
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  std::filesystem::remove(path);
  return all.str();
}

std::string comparative_text(const std::map<std::pair<int, int>, int>& values) {
  std::string text = "(3I6)\n";
  char line[32];
  for (const auto& [dyad, value] : values) {
    std::snprintf(line, sizeof line, "%6d%6d%6d\n", dyad.first, dyad.second, value);
    text += line;
  }
  return text;
}

std::string right(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// A 10-node network of 18 links.
LinkList ring_of_ten() {
  return {{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5},  {4, 6},  {5, 6},
          {5, 7}, {6, 7}, {6, 8}, {7, 8}, {7, 9}, {8, 9}, {8, 10}, {9, 10}, {10, 1}};
}

// The independent solver: Newton's method with step halving, each step solved by Cholesky.
double log_likelihood(const Mat& x, const std::vector<int>& y, const Vec& b) {
  double total = 0.0;
  for (std::size_t d = 0; d < y.size(); ++d) {
    double eta = 0.0;
    for (std::size_t k = 0; k < b.size(); ++k) eta += x[d][k] * b[k];
    total += y[d] * eta - (eta > 0 ? eta + std::log1p(std::exp(-eta)) : std::log1p(std::exp(eta)));
  }
  return total;
}

// Solves h z = g for a symmetric positive definite h; stores h's inverse in `inverse`.
Vec cholesky_solve(const Mat& h, const Vec& g, Mat& inverse) {
  const std::size_t m = g.size();
  Mat l(m, Vec(m, 0.0));
  for (std::size_t i = 0; i < m; ++i)
    for (std::size_t j = 0; j <= i; ++j) {
      double s = h[i][j];
      for (std::size_t k = 0; k < j; ++k) s -= l[i][k] * l[j][k];
      l[i][j] = i == j ? std::sqrt(s) : s / l[j][j];
    }
  auto apply = [&](Vec v) {
    for (std::size_t i = 0; i < m; ++i) {
      for (std::size_t k = 0; k < i; ++k) v[i] -= l[i][k] * v[k];
      v[i] /= l[i][i];
    }
    for (std::size_t i = m; i-- > 0;) {
      for (std::size_t k = i + 1; k < m; ++k) v[i] -= l[k][i] * v[k];
      v[i] /= l[i][i];
    }
    return v;
  };
  inverse.assign(m, Vec(m, 0.0));
  for (std::size_t c = 0; c < m; ++c) {
    Vec e(m, 0.0);
    e[c] = 1.0;
    const Vec column = apply(e);
    for (std::size_t r = 0; r < m; ++r) inverse[r][c] = column[r];
  }
  return apply(g);
}

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
      Vec row;
      for (int t : types) row.push_back(static_cast<double>(change[static_cast<std::size_t>(t)]));
      x.push_back(row);
      y.push_back(adjacency(i, j));
    }
  const std::size_t m = types.size();
  Vec b(m, 0.0);
  Mat inverse;
  double loglik = log_likelihood(x, y, b);
  bool converged = false;
  for (int iteration = 0; iteration < 200 && !converged; ++iteration) {
    Vec g(m, 0.0);
    Mat h(m, Vec(m, 0.0));
    for (std::size_t d = 0; d < y.size(); ++d) {
      double eta = 0.0;
      for (std::size_t k = 0; k < m; ++k) eta += x[d][k] * b[k];
      const double p = 1.0 / (1.0 + std::exp(-eta));
      for (std::size_t k = 0; k < m; ++k) {
        g[k] += (y[d] - p) * x[d][k];
        for (std::size_t l = 0; l < m; ++l) h[k][l] += p * (1.0 - p) * x[d][k] * x[d][l];
      }
    }
    const Vec step = cholesky_solve(h, g, inverse);
    double size = 0.0;
    for (double s : step) size = std::max(size, std::fabs(s));
    converged = size < 1e-11;
    for (double t = 1.0; !converged && t > 1e-12; t /= 2) {
      Vec trial = b;
      for (std::size_t k = 0; k < m; ++k) trial[k] += t * step[k];
      const double value = log_likelihood(x, y, trial);
      if (value >= loglik - 1e-12) {
        b = trial;
        loglik = value;
        break;
      }
    }
  }
  ASSERT_TRUE(converged);
  for (double v : b) ASSERT_LT(std::fabs(v), 8.0);  // no separation

  World w(links);
  set_model(w, types);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(state->too_many_iterations, 0);
  EXPECT_EQ(state->final_invertible, 1);
  for (std::size_t k = 0; k < m; ++k) {
    const int p = static_cast<int>(k) + 1;
    const double se = std::sqrt(inverse[k][k]);
    EXPECT_NEAR(state->estimate(p), b[k], 1e-4) << "type " << types[k];
    EXPECT_NEAR(std::sqrt(state->covariance(p, p)), se, 1e-4 * se) << "type " << types[k];
  }
  EXPECT_NEAR(w.rec.stats.loglik, loglik, 1e-6);
  EXPECT_EQ(w.rec.stats.dyad_count, static_cast<int>(y.size()));
}

TEST(LogisticCheck, AgreesWithAnIndependentSolver) {
  const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7};
  check_against_brute_force(24, 0.25, 0.4, 101, all);
  check_against_brute_force(30, 0.2, 0.3, 202, all);
  check_against_brute_force(36, 0.15, 0.5, 303, all);
  check_against_brute_force(28, 0.2, 0.4, 404, {6, 1, 2});
  check_against_brute_force(26, 0.3, 0.2, 505, {4, 3, 1});
}

// The comparative value is 1 on every tie, 5 on one of them: the statistic separates ties from
// non-ties, its estimate is held at 15 and the dyad with value 5 gets weight 0. No NaN follows.
TEST(ZeroWeight, SeparatingStatisticAtTheBound) {
  World w(ring_of_ten());
  std::map<std::pair<int, int>, int> values;
  for (const auto& link : ring_of_ten()) values[link] = 1;
  values[{4, 6}] = 5;
  w.open_comparative(comparative_text(values));
  set_model(w, {1, 16});
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(state->too_many_iterations, 1);
  EXPECT_EQ(state->estimate(2), 15.0);
  EXPECT_GT(state->zero_weight_dyads, 0);
  EXPECT_EQ(state->final_invertible, 1);
  const Stats& st = w.rec.stats;
  for (double v : {st.loglik, st.pearson_sum, st.abs_resid_sum, state->covariance(1, 1)})
    EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(st.class_table(1, 1) + st.class_table(2, 2), 90);  // every dyad classified right

  const std::string file = fit_and_report(w);
  EXPECT_EQ(w.screen.str().find("NaN"), std::string::npos);
  EXPECT_EQ(file.find("NaN"), std::string::npos);
  EXPECT_NE(file.find("\f\n"), std::string::npos);
}

// At the bound some dyads are predicted with probability exactly 0 or 1 against their
// observation: the goodness of fit is infinite.
TEST(ZeroWeight, DyadPredictedExactlyWrongGivesInfiniteGoodnessOfFit) {
  World w({{1, 6}, {2, 4}, {3, 4}, {4, 6}, {4, 2}, {4, 3}, {5, 6}, {6, 4}});
  set_model(w, {4, 5, 10});
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_TRUE(std::isinf(w.rec.stats.pearson_sum));
  EXPECT_TRUE(std::isfinite(w.rec.stats.loglik));
  fit_and_report(w);
  EXPECT_NE(w.screen.str().find(" Goodness of Fit   = " + right("Infinity", 20) + "\n"),
            std::string::npos);
}

// The pass limit leaves estimates at the bound where the final matrix cannot be inverted: the
// report keeps the estimates and shows NaN for standard errors, Wald values and correlations.
TEST(FinalInversion, FailureGivesNaNStandardErrors) {
  const LinkList links = {{1, 7},  {1, 5}, {2, 4}, {2, 7}, {2, 10}, {2, 9},  {3, 9}, {3, 7}, {4, 6},
                          {4, 7},  {4, 8}, {4, 9}, {4, 2}, {5, 1},  {5, 10}, {5, 9}, {5, 6}, {6, 5},
                          {6, 10}, {6, 4}, {7, 3}, {7, 9}, {7, 2},  {7, 1},  {7, 4}, {8, 4}, {9, 3},
                          {9, 4},  {9, 7}, {9, 2}, {9, 5}, {10, 5}, {10, 6}, {10, 2}};
  World w(links);
  set_model(w, {6, 12});
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(state->final_invertible, 0);
  EXPECT_EQ(state->estimate(1), -15.0);
  EXPECT_EQ(state->estimate(2), 15.0);
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 2; ++c) EXPECT_TRUE(std::isnan(state->covariance(r, c)));

  const std::string text = fit_and_report(w);
  const std::string nan12 = right("NaN", 12);
  const std::string rows = "        6         " + right("-15.0000", 12) + nan12 + nan12 +
                           right("0.0000", 12) + "\n       12         " + right("15.0000", 12) +
                           nan12 + nan12 + right("3269017.3725", 12) + "\n";
  EXPECT_NE(w.screen.str().find(rows), std::string::npos);
  EXPECT_NE(text.find(rows), std::string::npos);
  EXPECT_NE(text.find("    6    " + nan12 + nan12 + "\n   12    " + nan12 + nan12 + "\n\f\n"),
            std::string::npos);
}

// A Newton pass without a usable pivot ends the fit with its message and without a report.
TEST(NewtonFailure, MessageAndNoReport) {
  const LinkList links = {{1, 5}, {1, 6}, {1, 4}, {1, 2}, {2, 1}, {2, 7}, {3, 5}, {3, 4},
                          {4, 3}, {4, 1}, {4, 6}, {5, 1}, {5, 3}, {6, 4}, {6, 1}, {7, 2}};
  World w(links);
  set_model(w, {7, 13});
  EXPECT_EQ(fit_and_report(w), "");
  EXPECT_EQ(w.screen.str(),
            " Pass  1.. 2.. 3.. 4.. 5.. 6.. 7.. 8\n Error in inverting wxsq matrix!\n");
}

}  // namespace
}  // namespace tarn
