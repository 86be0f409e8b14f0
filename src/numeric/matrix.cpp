#include "numeric/matrix.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarn {

Matrix Matrix::identity(int order) {
  Matrix m(order, order);
  for (int k = 0; k < order; ++k) m(k, k) = 1.0;
  return m;
}

Matrix transpose(const Matrix& a) {
  Matrix t(a.cols(), a.rows());
  for (int r = 0; r < a.rows(); ++r)
    for (int c = 0; c < a.cols(); ++c) t(c, r) = a(r, c);
  return t;
}

Matrix product(const Matrix& a, const Matrix& b) {
  Matrix p(a.rows(), b.cols());
  for (int r = 0; r < a.rows(); ++r) {
    for (int k = 0; k < a.cols(); ++k) {
      const double v = a(r, k);
      if (v == 0.0) continue;
      for (int c = 0; c < b.cols(); ++c) p(r, c) += v * b(k, c);
    }
  }
  return p;
}

Vector product(const Matrix& a, const Vector& x) {
  Vector y(std::size_t(a.rows()), 0.0);
  for (int r = 0; r < a.rows(); ++r) {
    double s = 0.0;
    for (int c = 0; c < a.cols(); ++c) s += a(r, c) * x[std::size_t(c)];
    y[std::size_t(r)] = s;
  }
  return y;
}

double quadratic_form(const Vector& x, const Matrix& a, const Vector& y) {
  double s = 0.0;
  for (int r = 0; r < a.rows(); ++r) {
    double row = 0.0;
    for (int c = 0; c < a.cols(); ++c) row += a(r, c) * y[std::size_t(c)];
    s += x[std::size_t(r)] * row;
  }
  return s;
}

Matrix sandwich(const Matrix& a, const Matrix& v) {
  return product(product(a, v), transpose(a));
}

Matrix sum(const Matrix& a, const Matrix& b) {
  Matrix s = a;
  for (int r = 0; r < a.rows(); ++r)
    for (int c = 0; c < a.cols(); ++c) s(r, c) += b(r, c);
  return s;
}

Matrix scaled(const Matrix& a, double factor) {
  Matrix s = a;
  for (int r = 0; r < a.rows(); ++r)
    for (int c = 0; c < a.cols(); ++c) s(r, c) *= factor;
  return s;
}

std::optional<Matrix> cholesky(const Matrix& a, double relative_tolerance) {
  const int n = a.rows();
  Matrix l(n, n);
  for (int j = 0; j < n; ++j) {
    double d = a(j, j);
    for (int k = 0; k < j; ++k) d -= l(j, k) * l(j, k);
    if (!(d > relative_tolerance * std::fabs(a(j, j))) || !(d > 0.0)) return std::nullopt;
    const double root = std::sqrt(d);
    l(j, j) = root;
    for (int i = j + 1; i < n; ++i) {
      double s = a(i, j);
      for (int k = 0; k < j; ++k) s -= l(i, k) * l(j, k);
      l(i, j) = s / root;
    }
  }
  return l;
}

std::optional<Matrix> symmetric_inverse(const Matrix& a) {
  const int n = a.rows();
  Vector scale(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    if (!(a(k, k) > 0.0)) return std::nullopt;
    scale[std::size_t(k)] = 1.0 / std::sqrt(a(k, k));
  }
  Matrix unit(n, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      unit(r, c) = a(r, c) * scale[std::size_t(r)] * scale[std::size_t(c)];
  const std::optional<Matrix> l = cholesky(unit);
  if (!l) return std::nullopt;
  // L^-1 by forward substitution, then (L L')^-1 = L^-T L^-1.
  Matrix li(n, n);
  for (int c = 0; c < n; ++c) {
    for (int r = c; r < n; ++r) {
      double s = r == c ? 1.0 : 0.0;
      for (int k = c; k < r; ++k) s -= (*l)(r, k) * li(k, c);
      li(r, c) = s / (*l)(r, r);
    }
  }
  Matrix inverse(n, n);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c <= r; ++c) {
      double s = 0.0;
      for (int k = r; k < n; ++k) s += li(k, r) * li(k, c);
      const double v = s * scale[std::size_t(r)] * scale[std::size_t(c)];
      inverse(r, c) = v;
      inverse(c, r) = v;
    }
  }
  return inverse;
}

std::optional<double> log_determinant(const Matrix& a) {
  const std::optional<Matrix> l = cholesky(a);
  if (!l) return std::nullopt;
  double s = 0.0;
  for (int k = 0; k < a.rows(); ++k) s += 2.0 * std::log((*l)(k, k));
  return s;
}

std::optional<Matrix> general_inverse(Matrix a) {
  const int n = a.rows();
  double largest = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) largest = std::max(largest, std::fabs(a(r, c)));
  Matrix inverse = Matrix::identity(n);
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r) {
      if (std::fabs(a(r, c)) > std::fabs(a(pivot, c))) pivot = r;
    }
    if (!(std::fabs(a(pivot, c)) > 1e-13 * largest)) return std::nullopt;
    if (pivot != c) {
      for (int k = 0; k < n; ++k) {
        std::swap(a(pivot, k), a(c, k));
        std::swap(inverse(pivot, k), inverse(c, k));
      }
    }
    const double d = a(c, c);
    for (int k = 0; k < n; ++k) {
      a(c, k) /= d;
      inverse(c, k) /= d;
    }
    for (int r = 0; r < n; ++r) {
      if (r == c || a(r, c) == 0.0) continue;
      const double f = a(r, c);
      for (int k = 0; k < n; ++k) {
        a(r, k) -= f * a(c, k);
        inverse(r, k) -= f * inverse(c, k);
      }
    }
  }
  return inverse;
}

}  // namespace tarn
