#pragma once
// The end of a converged fit: the final sample's size, the simulation check that networks drawn
// at the estimate reproduce the observed statistics, and the standard errors with their Monte
// Carlo share.

#include <cstdint>
#include <optional>

#include "mcmle/mcmle_control.h"
#include "mcmle/sample_moments.h"
#include "numeric/matrix.h"

namespace tarn {

// The relative Monte Carlo error of standard errors from the covariance of `effective`
// independent networks, for `coefficients` coefficients: the upward bias of an inverted
// covariance, (p + 1) / 2N (the inverse Wishart's mean), and the spread of a standard error,
// 1 / sqrt(2 (N - p - 1)), taken together (root of the sum of squares). Infinite for N <= p + 1.
double error_precision(double effective, int coefficients);
// The smallest effective size whose error_precision is at most `precision`.
double effective_size_for_errors(int coefficients, double precision);

struct FinalSampleSize {
  int networks = 0;
  std::int64_t interval = 0;
};
// The final sample that gives the errors `control.error_precision`: from the last sample's
// spread effective sizes at its `interval` (the slowest statistic's), with a tenth to spare; a
// multiple of the chains, at least a quarter of the sample size; beyond 16 times the sample size
// the interval grows instead.
FinalSampleSize final_sample_size(const SampleMoments& last, std::int64_t interval,
                                  int coefficients, const McmleControl& control);

// The smallest effective size of a varying statistic's spread (the networks when none varies):
// what the errors' precision rests on.
double spread_effective_networks(const SampleMoments& moments);

// How many more networks the final sample needs for its errors (0 when it has enough): by the
// slowest statistic's spread effective size measured in the sample itself, a tenth to spare, a
// multiple of the chains, at most as many again as it has.
int networks_still_needed(const SampleMoments& final_moments, int coefficients,
                          const McmleControl& control);

// Do networks drawn at the estimate reproduce the observed statistics? Each |t-ratio| of the
// final sample must be within check_tolerance plus z Monte Carlo standard errors of a t-ratio, z
// the upper check_level / 2p quantile of the normal. Two errors make up a t-ratio's: the final
// sample's mean (1 / its effective size) and the estimate it was drawn at, a step from the
// sample before it (1 / that sample's effective size), in variance.
struct SimulationCheck {
  Vector t_ratio;
  Vector allowance;
  double z = 0.0;
  bool passed = false;
};
SimulationCheck simulation_check(const SampleMoments& final_moments, const ConvergenceTest& test,
                                 const SampleMoments& step_moments, const McmleControl& control);

struct McmleErrors {
  Matrix fisher_inverse;  // the inverse of the final sample's covariance
  // fisher_inverse plus the Monte Carlo covariance of the estimate's last step,
  // Sigma^-1 (long-run covariance / n) Sigma^-1. NaN rows for a statistic that does not vary.
  Matrix covariance;
  Vector mcmc_error_percent;  // the Monte Carlo share of each variance
};
McmleErrors mcmle_errors(const SampleMoments& final_moments);

}  // namespace tarn
