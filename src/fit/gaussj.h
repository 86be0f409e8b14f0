#pragma once
#include "fit/fit_result.h"
#include "network/network.h"

namespace tarn {

// In-place inversion of the leading order-by-order block by Gauss-Jordan elimination with full
// pivoting; invertible is 1 only when the inversion was completed.
void gaussj(ParamMatrix& matrix, int16 order, int32& invertible);

// What one inversion did, for tests and diagnosis: the pivot of every elimination step.
struct GaussjTrace {
  int16 steps_done = 0;
  Vec<int16, max_params> step_row;
  Vec<int16, max_params> step_column;
};

// gaussj with its bookkeeping reported through `trace`.
void gaussj(ParamMatrix& matrix, int16 order, int32& invertible, GaussjTrace& trace);

}  // namespace tarn
