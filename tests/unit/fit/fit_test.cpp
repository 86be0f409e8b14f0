// The fit against an independent logistic regression and at its edges; gaussj.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fit/fit_model.h"
#include "fit/gaussj.h"
#include "fit/pseudo_likelihood.h"
#include "support/brute_force.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;
using Vec = std::vector<double>;
using Mat = std::vector<Vec>;
const double nan = std::numeric_limits<double>::quiet_NaN();

// Global parameter columns `columns` with the switches their types need.
void set_model(World& w, const std::vector<int>& columns) {
  w.rec.data.zero = 0.0;
  w.rec.data.one = 1.0;
  w.rec.flags.skip_diagonal = 1;
  w.rec.stats.param_count = static_cast<int16>(columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k)
    w.rec.stats.param_column(static_cast<int>(k) + 1) = static_cast<int16>(columns[k]);
  w.select_types(std::span<const int>(columns.data(), columns.size()));
}

std::unique_ptr<FitState> fit(World& w, const std::vector<int>& columns) {
  set_model(w, columns);  // and run_fit to its end
  auto state = std::make_unique<FitState>();
  EXPECT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  return state;
}

// fit_model with an output file; returns the file's text.
std::string fit_and_report(World& w) {
  const auto path = std::filesystem::path(::testing::TempDir()) / "tarnwick_fit_test.out";
  w.io.output_file = std::make_unique<std::ofstream>(path);
  fit_model(w.rec, w.io);
  w.io.output_file.reset();
  std::ostringstream all;
  all << std::ifstream(path, std::ios::binary).rdbuf();
  std::filesystem::remove(path);
  return all.str();
}

std::string right(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// In-place Gauss-Jordan inversion without pivoting, enough for a positive definite h.
Mat invert(Mat a) {
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double p = 1.0 / a[k][k];
    a[k][k] = 1.0;
    for (double& v : a[k]) v *= p;
    for (std::size_t i = 0; i < a.size(); ++i) {
      const double f = i == k ? 0.0 : a[i][k];
      if (i != k) a[i][k] = 0.0;
      for (std::size_t j = 0; j < a.size(); ++j) a[i][j] -= f * a[k][j];
    }
  }
  return a;
}

// Newton's method on the brute-force change statistics, against run_fit.
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
  const std::size_t m = types.size();
  Vec b(m, 0.0);
  Mat inverse;
  double loglik = 0.0, size = 1.0;
  for (int iteration = 0; iteration < 200 && size >= 1e-11; ++iteration) {
    Vec g(m, 0.0);
    Mat h(m, Vec(m, 0.0));
    loglik = 0.0;
    for (std::size_t d = 0; d < y.size(); ++d) {
      double eta = 0.0;
      for (std::size_t k = 0; k < m; ++k) eta += x[d][k] * b[k];
      const double p = 1.0 / (1.0 + std::exp(-eta));
      loglik += y[d] * eta - std::log1p(std::exp(eta));
      for (std::size_t k = 0; k < m; ++k) {
        g[k] += (y[d] - p) * x[d][k];
        for (std::size_t l = 0; l < m; ++l) h[k][l] += p * (1.0 - p) * x[d][k] * x[d][l];
      }
    }
    inverse = invert(h);
    size = 0.0;
    for (std::size_t k = 0; k < m; ++k) {
      double step = 0.0;
      for (std::size_t l = 0; l < m; ++l) step += inverse[k][l] * g[l];
      b[k] += step;
      size = std::max(size, std::fabs(step));
    }
  }
  ASSERT_LT(size, 1e-11);                           // converged
  for (double v : b) ASSERT_LT(std::fabs(v), 8.0);  // no separation

  World w(links);
  const auto state = fit(w, types);
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

// Comparative value 1 on every tie, 5 on one: the estimate is held at 15, the dyad with value 5
// gets weight 0, and no NaN follows.
TEST(ZeroWeight, SeparatingStatisticAtTheBound) {
  const LinkList ring = {{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5},  {4, 6},  {5, 6},
                         {5, 7}, {6, 7}, {6, 8}, {7, 8}, {7, 9}, {8, 9}, {8, 10}, {9, 10}, {10, 1}};
  World w(ring);
  std::string text = "(3I6)\n";
  char line[32];
  for (const auto& [i, j] : ring) {
    std::snprintf(line, sizeof line, "%6d%6d%6d\n", i, j, i == 4 && j == 6 ? 5 : 1);
    text += line;
  }
  w.open_comparative(text);
  const auto state = fit(w, {1, 16});
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

// Dyads predicted with probability exactly 0 or 1 against their observation.
TEST(ZeroWeight, DyadPredictedExactlyWrongGivesInfiniteGoodnessOfFit) {
  World w({{1, 6}, {2, 4}, {3, 4}, {4, 6}, {4, 2}, {4, 3}, {5, 6}, {6, 4}});
  fit(w, {4, 5, 10});
  EXPECT_TRUE(std::isinf(w.rec.stats.pearson_sum));
  EXPECT_TRUE(std::isfinite(w.rec.stats.loglik));
  fit_and_report(w);
  EXPECT_NE(w.screen.str().find(" Goodness of Fit   = " + right("Infinity", 20) + "\n"),
            std::string::npos);
}

// The final matrix cannot be inverted: estimates kept, NaN standard errors and correlations.
TEST(FinalInversion, FailureGivesNaNStandardErrors) {
  World w({{1, 7},  {1, 5}, {2, 4}, {2, 7}, {2, 10}, {2, 9},  {3, 9}, {3, 7}, {4, 6},
           {4, 7},  {4, 8}, {4, 9}, {4, 2}, {5, 1},  {5, 10}, {5, 9}, {5, 6}, {6, 5},
           {6, 10}, {6, 4}, {7, 3}, {7, 9}, {7, 2},  {7, 1},  {7, 4}, {8, 4}, {9, 3},
           {9, 4},  {9, 7}, {9, 2}, {9, 5}, {10, 5}, {10, 6}, {10, 2}});
  const auto state = fit(w, {6, 12});
  EXPECT_EQ(state->final_invertible, 0);
  EXPECT_EQ(state->estimate(1), -15.0);
  EXPECT_EQ(state->estimate(2), 15.0);
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 2; ++c) EXPECT_TRUE(std::isnan(state->covariance(r, c)));
  const std::string text = fit_and_report(w), nan12 = right("NaN", 12);
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

using Rows = std::vector<std::vector<double>>;

std::unique_ptr<ParamMatrix> matrix_of(const Rows& rows) {
  auto a = std::make_unique<ParamMatrix>();
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) (*a)(int(r) + 1, int(c) + 1) = rows[r][c];
  return a;
}

void expect_block(const ParamMatrix& a, const Rows& rows, double tolerance) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      EXPECT_NEAR(a(int(r) + 1, int(c) + 1), rows[r][c], tolerance) << r + 1 << ", " << c + 1;
}

TEST(Gaussj, WorkedExampleStepByStep) {
  auto a = matrix_of({{4, 7}, {2, 6}});
  Rows seen;
  GaussjTrace trace;
  trace.after_step = [&seen](int, const ParamMatrix& m) {
    seen.push_back({m(1, 1), m(1, 2), m(2, 1), m(2, 2)});
  };
  int32 invertible = -1;
  gaussj(*a, 2, invertible, trace);
  EXPECT_EQ(invertible, 1);
  const std::vector<int> steps = {trace.steps_done, trace.step_row(1), trace.step_column(1),
                                  trace.step_row(2), trace.step_column(2)};
  EXPECT_EQ(steps, (std::vector<int>{2, 1, 2, 1, 1}));  // steps done, then (row, column) pivots
  // The second step is seen before the closing column exchange.
  const Rows expected = {{-10.0 / 7, -6.0 / 7, 4.0 / 7, 1.0 / 7}, {-0.7, 0.6, 0.4, -0.2}};
  ASSERT_EQ(seen.size(), 2u);
  for (std::size_t s = 0; s < 2; ++s)
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(seen[s][k], expected[s][k], 1e-15);
  expect_block(*a, {{0.6, -0.7}, {-0.2, 0.4}}, 1e-15);
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
    int32 invertible = -1;
    gaussj(*a, static_cast<int16>(c.a.size()), invertible, trace);
    EXPECT_EQ(invertible, c.invertible);
    if (c.steps_done >= 0) {
      EXPECT_EQ(trace.steps_done, c.steps_done);
    }
    if (c.pivot_row > 0) {
      EXPECT_EQ(trace.step_row(1), c.pivot_row);
      EXPECT_EQ(trace.step_column(1), c.pivot_column);
    }
    if (!c.inverse.empty()) expect_block(*a, c.inverse, 0.0);
  }
}

}  // namespace
}  // namespace tarn
