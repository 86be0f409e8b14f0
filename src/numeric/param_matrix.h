#pragma once
// The dialogue's vectors and matrices of parameters: fixed at 64 (its capacity), indexed from 1,
// matrices stored column by column, as its fit and report count parameters. The command line's
// estimators size theirs at run time (matrix.h).

#include "numeric/fixed_table.h"

namespace tarn {

inline constexpr int max_params = 64;

using ParamVector = Vec<double, max_params>;
using ParamMatrix = Table<double, max_params, max_params>;

}  // namespace tarn
