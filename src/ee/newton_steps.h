#pragma once
// The steps of equilibrium expectation: Newton steps on the expected statistics, whose derivative
// is the statistics' covariance, measured on a chain's draws (with the chain's autocorrelation
// time) or known exactly.

#include <vector>

#include "numeric/matrix.h"

namespace tarn {

struct StatisticSpread {
  Matrix steps;      // the inverse of the covariance
  Vector variances;  // 1 for a statistic that does not vary
  // Draws per effective draw of the statistic slowest to forget (at least 1), and the effective
  // draws that leaves: 1 and the draws for exact ones.
  double autocorrelation_updates = 1.0;
  double effective_draws = 0.0;
  Vector mean;  // of the measured draws; empty for an exact spread
};

// Per statistic, whether its coefficient is held at its value (an offset's); empty: none is.
using HeldStatistics = std::vector<char>;

// From consecutive draws of one chain (fewer than 2: unit variances, no covariance). The steps
// leave a held coefficient where it is.
StatisticSpread measured_spread(const std::vector<Vector>& draws, const Vector& observed,
                                const HeldStatistics& held = {});
// From the exact covariance of independent draws.
StatisticSpread exact_spread(const Matrix& covariance, const Vector& observed,
                             const HeldStatistics& held = {});

// theta += gain * steps * (observed - drawn).
void newton_step(const Matrix& steps, double gain, const Vector& observed, const Vector& drawn,
                 Vector& theta);

}  // namespace tarn
