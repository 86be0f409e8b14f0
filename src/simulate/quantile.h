#pragma once
// R's default quantile (type 7), shared by the goodness-of-fit summaries and the bootstrap's
// percentile intervals.

#include <vector>

namespace tarn {

// The p-quantile of `sorted` (ascending) by R's type 7: linear interpolation between the order
// statistics at (K - 1) p. Equal neighbours, infinite ones too, give their own value; NaN when
// `sorted` is empty.
double quantile_type7(const std::vector<double>& sorted, double p);

}  // namespace tarn
