#include "mcmle/f_distribution.h"

#include <cmath>

namespace tarn {

namespace {

// The continued fraction of I_x(a, b), for x < (a + 1) / (a + b + 2).
double beta_fraction(double x, double a, double b) {
  constexpr double tiny = 1e-300;
  constexpr double epsilon = 1e-15;
  double c = 1.0;
  double d = 1.0 - (a + b) * x / (a + 1.0);
  if (std::fabs(d) < tiny) d = tiny;
  d = 1.0 / d;
  double h = d;
  for (int m = 1; m <= 1000; ++m) {
    const double m2 = 2.0 * m;
    double term = m * (b - m) * x / ((a + m2 - 1.0) * (a + m2));
    d = 1.0 + term * d;
    c = 1.0 + term / c;
    if (std::fabs(d) < tiny) d = tiny;
    if (std::fabs(c) < tiny) c = tiny;
    d = 1.0 / d;
    h *= d * c;
    term = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0));
    d = 1.0 + term * d;
    c = 1.0 + term / c;
    if (std::fabs(d) < tiny) d = tiny;
    if (std::fabs(c) < tiny) c = tiny;
    d = 1.0 / d;
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1.0) < epsilon) break;
  }
  return h;
}

}  // namespace

double regularized_beta(double x, double a, double b) {
  if (x <= 0.0) return 0.0;
  if (x >= 1.0) return 1.0;
  const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1.0) / (a + b + 2.0)) return front * beta_fraction(x, a, b) / a;
  return 1.0 - front * beta_fraction(1.0 - x, b, a) / b;
}

double f_upper_tail(double f, double d1, double d2) {
  if (!(f > 0.0)) return 1.0;
  if (std::isinf(f)) return 0.0;
  return regularized_beta(d2 / (d2 + d1 * f), d2 / 2.0, d1 / 2.0);
}

}  // namespace tarn
