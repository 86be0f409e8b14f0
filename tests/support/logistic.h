#pragma once
// An independent logistic regression: Newton's method on the log-likelihood of P(y = 1) =
// logistic(x . b), without a constant unless x holds one, run to convergence; the reference of
// the pseudo-likelihood fits.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tarn::test {

using Vec = std::vector<double>;
using Mat = std::vector<Vec>;

// In-place Gauss-Jordan inversion without pivoting, enough for a positive definite h.
inline Mat invert(Mat a) {
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

// A logistic regression without a constant by Newton's method, run to convergence.
struct Logistic {
  Vec b;
  Mat inverse;
  double loglik = 0.0;
};

inline Logistic solve_logistic(const Mat& x, const std::vector<int>& y) {
  const std::size_t m = x.front().size();
  Logistic s{Vec(m, 0.0), {}, 0.0};
  double size = 1.0;
  for (int iteration = 0; iteration < 200 && size >= 1e-11; ++iteration) {
    Vec g(m, 0.0);
    Mat h(m, Vec(m, 0.0));
    s.loglik = 0.0;
    for (std::size_t d = 0; d < y.size(); ++d) {
      double eta = 0.0;
      for (std::size_t k = 0; k < m; ++k) eta += x[d][k] * s.b[k];
      const double p = 1.0 / (1.0 + std::exp(-eta));
      s.loglik += y[d] * eta - std::log1p(std::exp(eta));
      for (std::size_t k = 0; k < m; ++k) {
        g[k] += (y[d] - p) * x[d][k];
        for (std::size_t l = 0; l < m; ++l) h[k][l] += p * (1.0 - p) * x[d][k] * x[d][l];
      }
    }
    s.inverse = invert(h);
    size = 0.0;
    for (std::size_t k = 0; k < m; ++k) {
      double step = 0.0;
      for (std::size_t l = 0; l < m; ++l) step += s.inverse[k][l] * g[l];
      s.b[k] += step;
      size = std::max(size, std::fabs(step));
    }
  }
  EXPECT_LT(size, 1e-11);                             // converged
  for (double v : s.b) EXPECT_LT(std::fabs(v), 8.0);  // no separation
  return s;
}

}  // namespace tarn::test
