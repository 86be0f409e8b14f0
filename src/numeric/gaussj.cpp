#include "numeric/gaussj.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarn {

namespace {

constexpr double pivot_threshold = 1e-10;

bool invert(ParamMatrix& a, int order, GaussjTrace* trace) {
  const int n = order < 0 ? 0 : (order > max_params ? max_params : order);
  Vec<int, max_params> pivot_used;
  Vec<int, max_params> step_row;
  Vec<int, max_params> step_column;
  Vec<double, max_params> factor;  // the multipliers of one elimination step
  if (trace) trace->steps_done = 0;

  for (int s = 1; s <= n; ++s) {
    // Full pivot search, row by row. ">=" lets the last entry of largest magnitude win a tie,
    // and starting from 0.0 lets a block of zeros still name a pivot (rejected below). A NaN
    // never compares, so a search that meets only NaNs names no pivot at all: a failure.
    double largest = 0.0;
    int pivot_row = 0;
    int pivot_col = 0;
    for (int r = 1; r <= n; ++r) {
      if (pivot_used(r) == 1) continue;
      for (int c = 1; c <= n; ++c) {
        if (pivot_used(c) == 0) {
          double magnitude = std::fabs(a(r, c));
          if (magnitude >= largest) {
            largest = magnitude;
            pivot_row = r;
            pivot_col = c;
          }
        } else if (pivot_used(c) > 1) {
          return false;
        }
      }
    }
    if (pivot_row == 0) return false;

    ++pivot_used(pivot_col);
    if (pivot_row != pivot_col) {
      for (int c = 1; c <= n; ++c) std::swap(a(pivot_row, c), a(pivot_col, c));
    }
    step_row(s) = pivot_row;
    step_column(s) = pivot_col;
    if (trace) {
      trace->step_row(s) = step_row(s);
      trace->step_column(s) = step_column(s);
    }

    const int p = pivot_col;
    if (std::fabs(a(p, p)) < pivot_threshold) return false;

    const double q = 1.0 / a(p, p);
    a(p, p) = 1.0;
    for (int c = 1; c <= n; ++c) a(p, c) *= q;

    // Every row r other than p: a(r, c) = a(r, c) - a(p, c) * d(r), d(r) the old a(r, p) and
    // a(r, p) cleared first. Taken column by column, so the inner loop runs down a stored column;
    // each entry still gets exactly the one operation of the row-by-row form.
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
    if (trace) trace->steps_done = s;
  }

  // The row exchanges of the elimination become column exchanges of the inverse, last first.
  for (int s = n; s >= 1; --s) {
    const int r = step_row(s);
    const int c = step_column(s);
    if (r != c) {
      std::swap_ranges(a.column(r), a.column(r) + n, a.column(c));
    }
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
