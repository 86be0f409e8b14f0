// The fit against an independent solver: the change statistics counted by brute force, and a
// plain logistic regression (Newton's method with step halving, solved by Cholesky) iterated to
// full convergence. Estimates, standard errors and log-likelihood must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "fit/pseudo_likelihood.h"
#include "support/brute_force.h"
#include "unit/fit/fit_support.h"

namespace tarn {
namespace {

using test::Adjacency;
using test::set_model;
using test::World;

struct Logistic {
  std::vector<double> b;
  std::vector<double> standard_error;
  double loglik = 0.0;
  bool converged = false;
};

double log_likelihood(const std::vector<std::vector<double>>& x, const std::vector<int>& y,
                      const std::vector<double>& b) {
  double total = 0.0;
  for (std::size_t d = 0; d < y.size(); ++d) {
    double eta = 0.0;
    for (std::size_t k = 0; k < b.size(); ++k) eta += x[d][k] * b[k];
    // y * eta - ln(1 + e^eta), written to stay finite for large |eta|
    total += y[d] * eta - (eta > 0 ? eta + std::log1p(std::exp(-eta)) : std::log1p(std::exp(eta)));
  }
  return total;
}

// Solves h z = g for a symmetric positive definite h (Cholesky); returns h's inverse too.
std::vector<double> solve(std::vector<std::vector<double>> h, const std::vector<double>& g,
                          std::vector<std::vector<double>>* inverse) {
  const std::size_t m = g.size();
  std::vector<std::vector<double>> l(m, std::vector<double>(m, 0.0));
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double s = h[i][j];
      for (std::size_t k = 0; k < j; ++k) s -= l[i][k] * l[j][k];
      l[i][j] = i == j ? std::sqrt(s) : s / l[j][j];
    }
  }
  auto apply = [&](std::vector<double> v) {
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
  if (inverse) {
    inverse->assign(m, std::vector<double>(m, 0.0));
    for (std::size_t c = 0; c < m; ++c) {
      std::vector<double> e(m, 0.0);
      e[c] = 1.0;
      const auto column = apply(e);
      for (std::size_t r = 0; r < m; ++r) (*inverse)[r][c] = column[r];
    }
  }
  return apply(g);
}

Logistic logistic_regression(const std::vector<std::vector<double>>& x, const std::vector<int>& y,
                             std::size_t m) {
  Logistic fit;
  fit.b.assign(m, 0.0);
  double current = log_likelihood(x, y, fit.b);
  std::vector<std::vector<double>> inverse;
  for (int iteration = 0; iteration < 200; ++iteration) {
    std::vector<double> g(m, 0.0);
    std::vector<std::vector<double>> h(m, std::vector<double>(m, 0.0));
    for (std::size_t d = 0; d < y.size(); ++d) {
      double eta = 0.0;
      for (std::size_t k = 0; k < m; ++k) eta += x[d][k] * fit.b[k];
      const double p = 1.0 / (1.0 + std::exp(-eta));
      for (std::size_t k = 0; k < m; ++k) {
        g[k] += (y[d] - p) * x[d][k];
        for (std::size_t l = 0; l < m; ++l) h[k][l] += p * (1.0 - p) * x[d][k] * x[d][l];
      }
    }
    const auto step = solve(h, g, &inverse);
    double size = 0.0;
    for (double s : step) size = std::max(size, std::fabs(s));
    if (size < 1e-11) {
      fit.converged = true;
      break;
    }
    double t = 1.0;
    for (int halving = 0; halving < 40; ++halving, t /= 2) {
      std::vector<double> trial = fit.b;
      for (std::size_t k = 0; k < m; ++k) trial[k] += t * step[k];
      const double value = log_likelihood(x, y, trial);
      if (value >= current - 1e-12) {
        fit.b = trial;
        current = value;
        break;
      }
    }
  }
  fit.loglik = current;
  for (std::size_t k = 0; k < m; ++k) fit.standard_error.push_back(std::sqrt(inverse[k][k]));
  return fit;
}

void check_against_brute_force(int n, double density, double reciprocity, unsigned seed,
                               const std::vector<int>& types) {
  SCOPED_TRACE(::testing::Message() << "n " << n << " seed " << seed);
  const auto links = test::random_network(n, density, reciprocity, seed);
  const Adjacency adjacency = Adjacency::from_links(n, links);
  std::vector<std::vector<double>> x;
  std::vector<int> y;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const auto change = test::brute_change_stats(adjacency, i, j);
      std::vector<double> row;
      for (int t : types) row.push_back(static_cast<double>(change[static_cast<std::size_t>(t)]));
      x.push_back(row);
      y.push_back(adjacency(i, j));
    }
  }
  const Logistic reference = logistic_regression(x, y, types.size());
  ASSERT_TRUE(reference.converged);
  for (double b : reference.b) ASSERT_LT(std::fabs(b), 8.0);  // no separation

  World w(links);
  set_model(w, types);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(state->too_many_iterations, 0);
  EXPECT_EQ(state->final_invertible, 1);
  for (std::size_t k = 0; k < types.size(); ++k) {
    const int p = static_cast<int>(k) + 1;
    EXPECT_NEAR(state->estimate(p), reference.b[k], 1e-4) << "type " << types[k];
    EXPECT_NEAR(std::sqrt(state->covariance(p, p)), reference.standard_error[k],
                1e-4 * reference.standard_error[k])
        << "type " << types[k];
  }
  EXPECT_NEAR(w.rec.stats.loglik, reference.loglik, 1e-6);
  EXPECT_EQ(w.rec.stats.dyad_count, static_cast<int>(y.size()));
}

TEST(LogisticCheck, TypesOneToSevenOnRandomNetworks) {
  const std::vector<int> types = {1, 2, 3, 4, 5, 6, 7};
  check_against_brute_force(24, 0.25, 0.4, 101, types);
  check_against_brute_force(30, 0.2, 0.3, 202, types);
  check_against_brute_force(36, 0.15, 0.5, 303, types);
}

TEST(LogisticCheck, SmallerModelsInAnotherOrder) {
  check_against_brute_force(28, 0.2, 0.4, 404, {6, 1, 2});
  check_against_brute_force(26, 0.3, 0.2, 505, {4, 3, 1});
}

}  // namespace
}  // namespace tarn
