#pragma once
#include "store/records.h"

namespace tarn {

// In-place inversion of the leading order-by-order block by Gauss-Jordan elimination with full
// pivoting; invertible is 1 only when the inversion was completed.
void gaussj(ParamMatrix& matrix, int16 order, int32& invertible);

}  // namespace tarn
