#pragma once
// The long-run covariance of a sample's statistics (the spectral density at frequency 0, times
// 2 pi): the covariance of the mean of n autocorrelated networks is it over n. Estimated, as the
// ergm does, from a vector autoregression fitted by Yule-Walker to the chains (the
// autocovariances pooled within them), its order chosen by AIC: for an autoregression
// x_t = sum_i A_i x_{t-i} + e_t it is (I - sum A_i)^-1 Cov(e) (I - sum A_i)^-T. Unlike scaling
// each variance by its own autocorrelation time, it follows statistics whose combinations mix
// at other speeds than they do.

#include <vector>

#include "numeric/matrix.h"

namespace tarn {

struct LongRunCovariance {
  Matrix covariance;  // of the statistics `varying`, in their order
  int order = 0;      // of the autoregression chosen
  // n (det Cov / det long-run)^(1/q): the number of independent networks whose mean would be as
  // precise (at most n).
  double effective_size = 0.0;
};

// x[network][statistic], network k of chain k % chains; `mean` the statistics' means; `varying`
// the statistics to take (each with some spread).
LongRunCovariance long_run_covariance(const std::vector<Vector>& x, int chains, const Vector& mean,
                                      const std::vector<int>& varying);

}  // namespace tarn
