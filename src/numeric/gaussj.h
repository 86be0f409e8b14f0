#pragma once
// Inversion of a parameter matrix by Gauss-Jordan elimination with full pivoting, the solver of
// the Newton steps and of the covariance matrices.

#include <vector>

#include "numeric/param_matrix.h"

namespace tarn {

// In-place inversion of the leading order-by-order block (order at most the matrix's); false when a
// pivot is below 1e-10 in magnitude or no pivot can be found (NaNs), the matrix then partly
// changed.
bool gaussj(ParamMatrix& matrix, int order);

// What one inversion did, for tests and diagnosis: the pivot of every elimination step.
struct GaussjTrace {
  int steps_done = 0;
  std::vector<int> step_row;  // entry s - 1 for step s
  std::vector<int> step_column;
};

// gaussj with its bookkeeping reported through `trace`.
bool gaussj(ParamMatrix& matrix, int order, GaussjTrace& trace);

}  // namespace tarn
