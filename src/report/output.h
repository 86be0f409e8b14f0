#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// The report of one fitted model, on the screen and in the output file.
void output(Records& rec, Io& io, const ParamVector& estimate, const ParamMatrix& covariance,
            int32 too_many_iterations);

}  // namespace tarn
