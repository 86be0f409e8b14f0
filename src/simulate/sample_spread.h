#pragma once
// Means, standard deviations and covariances of the columns of a sample (rows[network][value]),
// in one place: the errors, the sampler's autocorrelations, the summaries and figures of simulate
// and gof, and maximum likelihood by MCMC all take them from here. Sums run over the rows in
// order, so the figures do not depend on the threads that drew them.

#include <cstddef>
#include <vector>

#include "mple/fit_result.h"

namespace tarn {

struct ColumnSpread {
  double mean = 0.0;
  double sd = 0.0;  // divisor rows - 1; 0 for fewer than two rows
};

// Of column `column` over every row.
ColumnSpread column_spread(const std::vector<std::vector<double>>& rows, std::size_t column);

// The covariance matrix of the first m columns (divisor: the rows kept - 1) over the rows r with
// kept[r] != 0 (every row when `kept` is empty); at least two rows must be kept.
ParamMatrix covariance_of(const std::vector<std::vector<double>>& rows,
                          const std::vector<char>& kept, int m);

}  // namespace tarn
