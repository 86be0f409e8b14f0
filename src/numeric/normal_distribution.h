#pragma once
// The standard normal distribution's upper tail and its inverse, for tests at a given level.

namespace tarn {

// P(Z > z).
double normal_upper_tail(double z);
// The z with P(Z > z) = p, 0 < p < 1 (Acklam's rational approximation refined by one Halley
// step: relative error below 1e-12).
double normal_upper_quantile(double p);

}  // namespace tarn
