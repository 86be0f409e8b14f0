#pragma once
// What a sample of networks says about its statistics, with the chains it came from: network k
// of a sample belongs to chain k % chains (simulate/sampler.h). The means and covariances are
// those of all networks; the autocorrelation is measured within the chains.

#include <vector>

#include "fit/fit_result.h"

namespace tarn {

struct SampleMoments {
  int networks = 0;
  int chains = 1;
  std::vector<double> mean, sd;
  ParamMatrix covariance;  // divisor networks - 1
  // Integrated autocorrelation time of each statistic (at least 1): Geyer's initial positive
  // sequence of the autocorrelations pooled over the chains.
  std::vector<double> autocorrelation_time;
  std::vector<double> effective_size;  // networks / autocorrelation time
  std::vector<double> lag1;            // the lag-1 autocorrelation (NaN without variation)
};

// statistics[network][statistic]; at least two networks.
SampleMoments sample_moments(const std::vector<std::vector<double>>& statistics, int chains);

// Whether the sampled mean is the observed statistics to within Monte Carlo error.
struct ConvergenceTest {
  // (mean - observed) / sd of each statistic: 0 when a statistic that does not vary equals the
  // observed value, infinite when it does not.
  std::vector<double> t_ratio;
  double max_abs_t = 0.0;
  // Hotelling's T^2 of mean - observed against the covariance of the mean, each statistic's
  // variance scaled by its autocorrelation time, and its p-value from the F distribution with
  // the smallest effective size as the sample size (0 when a fixed statistic misses).
  double hotelling = 0.0;
  double p_value = 1.0;
  double effective_size = 0.0;  // the smallest of the statistics'
};

ConvergenceTest convergence_test(const SampleMoments& moments, const std::vector<double>& observed);

}  // namespace tarn
