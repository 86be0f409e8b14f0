#include "numeric/gaussj.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tarn {

namespace {

constexpr double pivot_threshold = 1e-10;

// Integers by step or by row, indexed from 1.
class ParamIndexes {
 public:
  explicit ParamIndexes(int size) : values_(static_cast<std::size_t>(size), 0) {}
  int& operator()(int i) { return values_[static_cast<std::size_t>(i - 1)]; }
  int operator()(int i) const { return values_[static_cast<std::size_t>(i - 1)]; }

 private:
  std::vector<int> values_;
};

struct Pivot {
  int row = 0;  // 0: none found, or the search failed
  int column = 0;
};

// Full pivot search, row by row. ">=" lets the last entry of largest magnitude win a tie, and
// starting from 0.0 lets a block of zeros still name a pivot (rejected later). A NaN never
// compares, so a search that meets only NaNs names no pivot at all: a failure.
Pivot find_pivot(const ParamMatrix& a, int n, const ParamIndexes& pivot_used) {
  double largest = 0.0;
  Pivot pivot;
  for (int r = 1; r <= n; ++r) {
    if (pivot_used(r) == 1) continue;
    for (int c = 1; c <= n; ++c) {
      if (pivot_used(c) == 0) {
        double magnitude = std::fabs(a(r, c));
        if (magnitude >= largest) {
          largest = magnitude;
          pivot = {r, c};
        }
      } else if (pivot_used(c) > 1) {
        return {};
      }
    }
  }
  return pivot;
}

// Divides row p by its pivot and clears column p in every other row r:
// a(r, c) = a(r, c) - a(p, c) * d(r), d(r) the old a(r, p) and a(r, p) cleared first. Taken
// column by column, so the inner loop runs down a stored column; each entry still gets exactly
// the one operation of the row-by-row form.
void eliminate(ParamMatrix& a, int n, int p, ParamVector& factor) {
  const double q = 1.0 / a(p, p);
  a(p, p) = 1.0;
  for (int c = 1; c <= n; ++c) a(p, c) *= q;
  for (int r = 1; r <= n; ++r) {
    factor(r) = a(r, p);
    if (r != p) a(r, p) = 0.0;
  }
  for (int c = 1; c <= n; ++c) {
    const double pivot_entry = a(p, c);
    double* column = a.column(c);
    for (int r = 1; r <= n; ++r) {
      if (r != p) column[r - 1] = column[r - 1] - pivot_entry * factor(r);
    }
  }
}

bool invert(ParamMatrix& a, int order, GaussjTrace* trace) {
  const int n = order < 0 ? 0 : (order > a.order() ? a.order() : order);
  ParamIndexes pivot_used(n);
  ParamIndexes step_row(n);
  ParamIndexes step_column(n);
  ParamVector factor(n);  // the multipliers of one elimination step
  if (trace) {
    trace->steps_done = 0;
    trace->step_row.assign(static_cast<std::size_t>(n), 0);
    trace->step_column.assign(static_cast<std::size_t>(n), 0);
  }
  for (int s = 1; s <= n; ++s) {
    const Pivot pivot = find_pivot(a, n, pivot_used);
    if (pivot.row == 0) return false;
    ++pivot_used(pivot.column);
    if (pivot.row != pivot.column) {
      for (int c = 1; c <= n; ++c) std::swap(a(pivot.row, c), a(pivot.column, c));
    }
    step_row(s) = pivot.row;
    step_column(s) = pivot.column;
    if (trace) {
      trace->step_row[static_cast<std::size_t>(s - 1)] = pivot.row;
      trace->step_column[static_cast<std::size_t>(s - 1)] = pivot.column;
    }
    const int p = pivot.column;
    if (std::fabs(a(p, p)) < pivot_threshold) return false;
    eliminate(a, n, p, factor);
    if (trace) trace->steps_done = s;
  }
  // The row exchanges of the elimination become column exchanges of the inverse, last first.
  for (int s = n; s >= 1; --s) {
    const int r = step_row(s);
    const int c = step_column(s);
    if (r != c) std::swap_ranges(a.column(r), a.column(r) + n, a.column(c));
  }
  return true;
}

}  // namespace

bool gaussj(ParamMatrix& matrix, int order) {
  return invert(matrix, order, nullptr);
}

bool gaussj(ParamMatrix& matrix, int order, GaussjTrace& trace) {
  return invert(matrix, order, &trace);
}

}  // namespace tarn
