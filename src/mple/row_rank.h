#pragma once
// The rank of statistic rows, for the existence check's shortcut: exact for integer rows
// (modulo a prime), and for real rows by elimination that counts a pivot only when it stands far
// above the rounding error, so that "full rank" is never claimed for rows that lack it.

#include <cmath>
#include <cstdint>
#include <vector>

#include "network/network.h"

namespace tarn {

// The rank of integer rows counted modulo the prime 2^31 - 1. Rows of rank m modulo a prime have
// rank m over the rationals too: some m by m minor is non-zero modulo the prime, so non-zero.
class RankModuloPrime {
 public:
  explicit RankModuloPrime(int columns)
      : m_(columns),
        basis_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(columns)),
        pivot_row_(static_cast<std::size_t>(columns), -1),
        row_(static_cast<std::size_t>(columns)) {}

  bool full() const { return rank_ == m_; }

  // Adds the row to the span. The basis stays in echelon form, each row zero
  // before its pivot and 1 there, so one sweep over the columns in order reduces a row.
  void add(const int16* r) {
    for (int k = 0; k < m_; ++k) {
      const std::int64_t v = r[k];
      row_[static_cast<std::size_t>(k)] =
          v < 0 ? prime - static_cast<std::uint64_t>(-v) : static_cast<std::uint64_t>(v);
    }
    int pivot = -1;
    for (int c = 0; c < m_ && pivot < 0; ++c) {
      const std::uint64_t factor = row_[static_cast<std::size_t>(c)];
      if (factor == 0) continue;
      const int b = pivot_row_[static_cast<std::size_t>(c)];
      if (b < 0) {
        pivot = c;
        break;
      }
      const std::uint64_t* basis_row = &basis_[static_cast<std::size_t>(b * m_)];
      for (int k = c; k < m_; ++k) {
        const std::size_t u = static_cast<std::size_t>(k);
        row_[u] = subtract(row_[u], multiply(factor, basis_row[u]));
      }
    }
    if (pivot < 0) return;
    const std::uint64_t inverse = power(row_[static_cast<std::size_t>(pivot)], prime - 2);
    std::uint64_t* basis_row = &basis_[static_cast<std::size_t>(rank_ * m_)];
    for (int k = 0; k < m_; ++k) {
      const std::size_t u = static_cast<std::size_t>(k);
      basis_row[u] = multiply(row_[u], inverse);
    }
    pivot_row_[static_cast<std::size_t>(pivot)] = rank_++;
  }

 private:
  static constexpr std::uint64_t prime = (std::uint64_t{1} << 31) - 1;

  static std::uint64_t reduce(std::uint64_t v) { return v >= prime ? v - prime : v; }
  static std::uint64_t subtract(std::uint64_t a, std::uint64_t b) { return reduce(a + prime - b); }
  static std::uint64_t multiply(std::uint64_t a, std::uint64_t b) { return a * b % prime; }
  static std::uint64_t power(std::uint64_t base, std::uint64_t exponent) {
    std::uint64_t result = 1;
    for (; exponent > 0; exponent >>= 1) {
      if (exponent & 1) result = multiply(result, base);
      base = multiply(base, base);
    }
    return result;
  }

  int m_;
  int rank_ = 0;
  std::vector<std::uint64_t> basis_;
  std::vector<int> pivot_row_;
  std::vector<std::uint64_t> row_;
};

// The rank of real rows by Gaussian elimination with partial pivoting. A row adds to the rank
// only when, reduced by the rows before it, an entry stays above 1e-8 times the row's largest
// entry: rounding errs by about m 2^-53 relative, far below that, so the rows counted are truly
// independent (the count may fall short, never exceed).
class RankOfRealRows {
 public:
  explicit RankOfRealRows(int columns)
      : m_(columns),
        basis_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(columns)),
        pivot_(static_cast<std::size_t>(columns), -1),
        row_(static_cast<std::size_t>(columns)) {}

  bool full() const { return rank_ == m_; }

  void add(const double* r) {
    double largest = 0.0;
    for (int k = 0; k < m_; ++k) {
      row_[static_cast<std::size_t>(k)] = r[k];
      largest = std::max(largest, std::fabs(r[k]));
    }
    if (largest == 0.0) return;
    for (int b = 0; b < rank_; ++b) {
      const double* basis_row = &basis_[static_cast<std::size_t>(b * m_)];
      const double factor = row_[static_cast<std::size_t>(pivot_[static_cast<std::size_t>(b)])];
      if (factor == 0.0) continue;
      for (int k = 0; k < m_; ++k) row_[static_cast<std::size_t>(k)] -= factor * basis_row[k];
    }
    int pivot = -1;
    double best = 1e-8 * largest;
    for (int k = 0; k < m_; ++k) {
      if (std::fabs(row_[static_cast<std::size_t>(k)]) > best) {
        best = std::fabs(row_[static_cast<std::size_t>(k)]);
        pivot = k;
      }
    }
    if (pivot < 0) return;
    double* basis_row = &basis_[static_cast<std::size_t>(rank_ * m_)];
    const double p = row_[static_cast<std::size_t>(pivot)];
    for (int k = 0; k < m_; ++k) basis_row[k] = row_[static_cast<std::size_t>(k)] / p;
    // Earlier rows lose their entry in the new pivot column, so that every basis row is zero in
    // every other row's pivot column.
    for (int b = 0; b < rank_; ++b) {
      double* other = &basis_[static_cast<std::size_t>(b * m_)];
      const double factor = other[pivot];
      if (factor == 0.0) continue;
      for (int k = 0; k < m_; ++k) other[k] -= factor * basis_row[k];
    }
    pivot_[static_cast<std::size_t>(rank_++)] = pivot;
  }

 private:
  int m_;
  int rank_ = 0;
  std::vector<double> basis_;
  std::vector<int> pivot_;  // the pivot column of basis row b
  std::vector<double> row_;
};

// The rank counter of rows of type T.
template <class T>
struct RankOfRows;
template <>
struct RankOfRows<int16> {
  using type = RankModuloPrime;
};
template <>
struct RankOfRows<double> {
  using type = RankOfRealRows;
};

}  // namespace tarn
