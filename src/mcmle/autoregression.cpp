#include "mcmle/autoregression.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarn {

namespace {

// C_h = E[x_{t+h} x_t'] of the centred statistics, pooled within the chains (divisor n, so that
// the block Toeplitz matrix of the C_h is positive definite).
std::vector<Matrix> cross_covariances(const std::vector<Vector>& y, int chains, int lags) {
  const int q = y.empty() ? 0 : static_cast<int>(y.front().size());
  const std::size_t n = y.size();
  std::vector<Matrix> c;
  for (int h = 0; h <= lags; ++h) {
    Matrix ch(q, q);
    const std::size_t shift = std::size_t(chains) * std::size_t(h);
    for (std::size_t k = 0; k + shift < n; ++k) {
      const Vector& later = y[k + shift];
      const Vector& earlier = y[k];
      for (int a = 0; a < q; ++a) {
        const double v = later[std::size_t(a)];
        for (int b = 0; b < q; ++b) ch(a, b) += v * earlier[std::size_t(b)];
      }
    }
    c.push_back(scaled(ch, 1.0 / static_cast<double>(n)));
  }
  return c;
}

struct Autoregression {
  Matrix coefficient_sum;  // sum of the A_i
  Matrix innovation;       // Cov(e)
  double aic = 0.0;
  bool fitted = false;
};

// Yule-Walker of order k: [A_1 .. A_k] M = [C_1 .. C_k], M's block (i, h) = C_{h-i}, with
// C_{-j} = C_j'; Cov(e) = C_0 - sum_i A_i C_i'.
Autoregression fit_order(const std::vector<Matrix>& c, int k, double observations) {
  const int q = c[0].rows();
  Autoregression fit;
  fit.coefficient_sum = Matrix(q, q);
  fit.innovation = c[0];
  if (k > 0) {
    Matrix m(k * q, k * q);
    for (int i = 0; i < k; ++i) {
      for (int h = 0; h < k; ++h) {
        const int lag = h - i;
        const Matrix& block = c[std::size_t(std::abs(lag))];
        for (int a = 0; a < q; ++a)
          for (int b = 0; b < q; ++b)
            m(i * q + a, h * q + b) = lag >= 0 ? block(a, b) : block(b, a);
      }
    }
    const std::optional<Matrix> inverse = symmetric_inverse(m);
    if (!inverse) return fit;
    Matrix right(q, k * q);  // [C_1 .. C_k]
    for (int h = 0; h < k; ++h)
      for (int a = 0; a < q; ++a)
        for (int b = 0; b < q; ++b) right(a, h * q + b) = c[std::size_t(h + 1)](a, b);
    const Matrix coefficients = product(right, *inverse);  // [A_1 .. A_k]
    for (int i = 0; i < k; ++i) {
      for (int a = 0; a < q; ++a) {
        for (int b = 0; b < q; ++b) {
          fit.coefficient_sum(a, b) += coefficients(a, i * q + b);
          double s = 0.0;  // (A_i C_i')(a, b)
          for (int l = 0; l < q; ++l) s += coefficients(a, i * q + l) * c[std::size_t(i + 1)](b, l);
          fit.innovation(a, b) -= s;
        }
      }
    }
  }
  const std::optional<double> log_det = log_determinant(fit.innovation);
  if (!log_det) return fit;
  fit.aic = observations * *log_det + 2.0 * k * q * q;
  fit.fitted = true;
  return fit;
}

}  // namespace

LongRunCovariance long_run_covariance(const std::vector<Vector>& x, int chains, const Vector& mean,
                                      const std::vector<int>& varying) {
  const int q = static_cast<int>(varying.size());
  const auto n = static_cast<double>(x.size());
  std::vector<Vector> y;
  y.reserve(x.size());
  for (const Vector& row : x) {
    Vector centred(static_cast<std::size_t>(q));
    for (int a = 0; a < q; ++a) {
      centred[std::size_t(a)] =
          row[std::size_t(varying[std::size_t(a)])] - mean[std::size_t(varying[std::size_t(a)])];
    }
    y.push_back(std::move(centred));
  }
  // Orders up to 8, and to a tenth of a chain's length, and no larger block system than 256 rows.
  const int length = static_cast<int>(x.size()) / std::max(chains, 1);
  const int most = std::max(0, std::min({8, length / 10, 256 / std::max(q, 1)}));
  const std::vector<Matrix> c = cross_covariances(y, std::max(chains, 1), most);
  Autoregression best;
  int best_order = 0;
  for (int k = 0; k <= most; ++k) {
    const Autoregression fit = fit_order(c, k, n - double(k) * std::max(chains, 1));
    if (fit.fitted && (!best.fitted || fit.aic < best.aic)) {
      best = fit;
      best_order = k;
    }
  }
  LongRunCovariance result;
  result.order = best_order;
  if (!best.fitted) {  // singular even at order 0: the covariance itself
    result.covariance = c[0];
    result.effective_size = n;
    return result;
  }
  Matrix rest = Matrix::identity(q);
  for (int a = 0; a < q; ++a)
    for (int b = 0; b < q; ++b) rest(a, b) -= best.coefficient_sum(a, b);
  const std::optional<Matrix> rest_inverse = general_inverse(rest);
  result.covariance = rest_inverse ? sandwich(*rest_inverse, best.innovation) : c[0];
  // Symmetric to the last bit, for the Cholesky factor.
  for (int a = 0; a < q; ++a)
    for (int b = 0; b < a; ++b)
      result.covariance(a, b) = result.covariance(b, a) =
          0.5 * (result.covariance(a, b) + result.covariance(b, a));
  const std::optional<double> spread = log_determinant(c[0]);
  const std::optional<double> long_run = log_determinant(result.covariance);
  result.effective_size =
      spread && long_run ? std::min(n, n * std::exp((*spread - *long_run) / q)) : 1.0;
  return result;
}

}  // namespace tarn
