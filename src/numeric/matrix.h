#pragma once
// Dense matrices sized at run time, indexed from 0 and stored row by row, and the few operations
// the estimators need: products, the inverse of a symmetric positive-definite matrix and its
// log-determinant. No limit on the order but memory.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace tarn {

using Vector = std::vector<double>;

class Matrix {
 public:
  Matrix() = default;
  Matrix(int rows, int cols, double fill = 0.0)
      : rows_(rows), cols_(cols), values_(std::size_t(rows) * std::size_t(cols), fill) {}
  static Matrix identity(int order);

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  bool empty() const { return values_.empty(); }
  double& operator()(int r, int c) { return values_[index(r, c)]; }
  double operator()(int r, int c) const { return values_[index(r, c)]; }
  std::span<double> row(int r) { return {values_.data() + index(r, 0), std::size_t(cols_)}; }
  std::span<const double> row(int r) const {
    return {values_.data() + index(r, 0), std::size_t(cols_)};
  }
  bool operator==(const Matrix&) const = default;

 private:
  std::size_t index(int r, int c) const {
    return std::size_t(r) * std::size_t(cols_) + std::size_t(c);
  }
  int rows_ = 0, cols_ = 0;
  std::vector<double> values_;
};

Matrix transpose(const Matrix& a);
Matrix product(const Matrix& a, const Matrix& b);
// a x: a matrix times a vector.
Vector product(const Matrix& a, const Vector& x);
// x' a y.
double quadratic_form(const Vector& x, const Matrix& a, const Vector& y);
// a v a' (a sandwich: the covariance of a x when v is that of x).
Matrix sandwich(const Matrix& a, const Matrix& v);
Matrix sum(const Matrix& a, const Matrix& b);
Matrix scaled(const Matrix& a, double factor);

// The Cholesky factor L (lower, L L' = a) of a symmetric positive-definite matrix; nothing when a
// pivot is not positive or below `relative_tolerance` times its diagonal entry (the matrix is
// singular to working precision).
std::optional<Matrix> cholesky(const Matrix& a, double relative_tolerance = 1e-12);
// The inverse of a symmetric positive-definite matrix, by its Cholesky factor; the matrix is
// scaled to unit diagonal first, so that statistics whose spreads differ by many orders of
// magnitude do not look singular by scale alone. Nothing when it is singular.
std::optional<Matrix> symmetric_inverse(const Matrix& a);
// log det a of a symmetric positive-definite matrix; nothing when it is singular.
std::optional<double> log_determinant(const Matrix& a);
// The inverse of a general square matrix by Gauss-Jordan elimination with partial pivoting;
// nothing when a pivot is below 1e-13 of the matrix's largest entry.
std::optional<Matrix> general_inverse(Matrix a);

}  // namespace tarn
