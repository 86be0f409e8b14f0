#include "simulate/portable_exp.h"

#include <cmath>
#include <limits>

namespace tarn {

double portable_exp(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.0) return std::numeric_limits<double>::infinity();
  if (x < -745.0) return 0.0;
  // x = k ln 2 + r with |r| <= ln 2 / 2; ln 2 split in a part with few bits (exact products for
  // |k| < 2^11) and the rest.
  constexpr double ln2_high = 0.693145751953125;
  constexpr double ln2_low = 1.42860682030941723212e-06;
  const double k = std::nearbyint(x * 1.4426950408889634074);
  const double r = (x - k * ln2_high) - k * ln2_low;
  // Taylor series of exp(r) to r^13/13!: the remainder is below 2^-55 for |r| <= 0.35.
  double term = 1.0, sum = 1.0;
  for (int n = 1; n <= 13; ++n) {
    term = term * r / n;
    sum = sum + term;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

}  // namespace tarn
