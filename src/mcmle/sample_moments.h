#pragma once
// What a sample of networks says about its statistics, with the chains it came from: network k
// of a sample belongs to chain k % chains (simulate/sampler.h). The means and covariances are
// those of all networks; the autocorrelations are measured within the chains.

#include <algorithm>
#include <cmath>
#include <vector>

#include "numeric/matrix.h"

namespace tarn {

// Whether a statistic with this standard deviation and mean varies: a spread below 1e-9 of its
// size is the rounding of sums kept along a chain (a gw statistic that no network of the sample
// changes), not variation; taken for variation, it makes a step without bound.
inline bool varies(double sd, double mean) {
  return sd > 1e-9 * std::max(1.0, std::fabs(mean));
}

// Whether a statistic that does not vary equals the observed value, to the same rounding.
inline bool same_value(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

struct SampleMoments {
  int networks = 0;
  int chains = 1;
  Vector mean, sd;    // sd 0 for a statistic that does not vary (varies())
  Matrix covariance;  // divisor networks - 1; 0 in the rows of statistics that do not vary
  // Integrated autocorrelation time of each statistic (at least 1): Geyer's initial positive
  // sequence of the autocorrelations pooled over the chains.
  Vector autocorrelation_time;
  Vector effective_size;  // networks / autocorrelation time: for the precision of the mean
  // networks / (1 + 2 sum of the squared autocorrelations of that sequence): for the precision of
  // the spread, which decorrelates faster than the mean (an AR(1) chain of correlation r gives
  // (1 - r^2) / (1 + r^2) against (1 - r) / (1 + r)).
  Vector spread_effective_size;
  Vector lag1;  // the lag-1 autocorrelation (NaN without variation)
  // The long-run covariance of the statistics that vary (networks times the covariance of the
  // mean; zero rows and columns for the others): the spectral density at frequency 0 of a vector
  // autoregression fitted to the chains by Yule-Walker, its order chosen by AIC, as the
  // ergm estimates it.
  Matrix long_run_covariance;
  int autoregression_order = 0;
  // networks (det covariance / det long-run covariance)^(1/q) over the q statistics that vary:
  // the sample size the Hotelling test's F distribution takes.
  double multivariate_effective_size = 0.0;
};

// statistics[network][statistic]; at least two networks.
SampleMoments sample_moments(const std::vector<Vector>& statistics, int chains);

// The long-run covariance over the networks: the covariance of the sample mean.
Matrix mean_covariance(const SampleMoments& moments);
// The smallest effective size of a statistic that varies (the networks when none does).
double smallest_effective_size(const SampleMoments& moments);

// The Monte Carlo error of an estimate that is a full step from an earlier sample: that sample
// mean's covariance (mean_covariance), in the statistics, and its smallest effective size.
struct StepNoise {
  Matrix covariance;
  double effective_size = 0.0;
};

// Whether the sampled mean is the observed statistics to within Monte Carlo error.
struct ConvergenceTest {
  // (mean - observed) / sd of each statistic: 0 when a statistic that does not vary equals the
  // observed value, infinite when it does not.
  Vector t_ratio;
  double max_abs_t = 0.0;
  // Hotelling's T^2 of mean - observed against its covariance: the long-run covariance over the
  // networks, plus, for an estimate that is a full step from an earlier sample, that sample
  // mean's (the estimate is the maximum-likelihood estimate only to within the Monte Carlo error
  // of its own step; without it the test asks of the estimate a precision that no step from a
  // sample of the same size has). Its p-value from the F distribution with the smallest effective
  // size of a statistic (of either sample) as the sample size: the long-run covariance is itself
  // estimated, and with the multivariate effective size the test rejected 2.6% of samples drawn
  // with the observed statistics as their mean at the 1% level, with this one 0.3% to 1.5%
  // (tests/unit/mcmle). 0 when a fixed statistic misses; NaN when the effective size is too
  // small for the test.
  double hotelling = 0.0;
  double p_value = 1.0;
  double effective_size = 0.0;  // the smallest of the statistics' (Geyer)
  // (mean - observed)' covariance^-1 (mean - observed): the distance in standard deviations of
  // the networks, whatever the sample's size (infinite when a fixed statistic misses).
  double distance = 0.0;
};

ConvergenceTest convergence_test(const SampleMoments& moments, const Vector& observed,
                                 const StepNoise* step = nullptr);

}  // namespace tarn
