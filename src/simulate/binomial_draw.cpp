#include "simulate/binomial_draw.h"

#include <algorithm>
#include <cmath>

#include "numeric/portable_exp.h"

namespace tarn {

namespace {

// Below this mean (trials times the smaller of p and 1 - p) inversion is faster than BTRD,
// whose set-up and bounds also assume a mean of at least 10 (Hormann 1993).
constexpr double inversion_mean = 10.0;

// Inversion from 0 upwards (Kachitvichyanukul and Schmeiser's BINV): p <= 1/2, trials * p < 10.
std::int64_t binomial_by_inversion(RandomStream& random, std::int64_t trials, double p) {
  const double q = 1.0 - p;
  const double ratio = p / q;
  const double a = (static_cast<double>(trials) + 1.0) * ratio;
  const double at_zero = portable_exp(static_cast<double>(trials) * portable_log1p(-p));
  for (;;) {
    double u = random.unit();
    double probability = at_zero;
    std::int64_t k = 0;
    // The tail beyond 110 successes of a mean below 10 is below 1e-60: a draw that reaches it
    // (rounding) starts again.
    while (u >= probability && k < std::min<std::int64_t>(trials, 110)) {
      u -= probability;
      ++k;
      probability *= a / static_cast<double>(k) - ratio;
    }
    if (u < probability) return k;
  }
}

// Stirling's correction log(k!) - [(k + 1/2) log(k + 1) - (k + 1) + log(2 pi) / 2].
double stirling_correction(std::int64_t k) {
  static constexpr double table[10] = {
      0.08106146679532726,  0.04134069595540929, 0.02767792568499834, 0.02079067210376509,
      0.01664469118982119,  0.01387612882307075, 0.01189670994589177, 0.01041126526197209,
      0.009255462182712733, 0.008330563433362871};
  if (k < 10) return table[k];
  const double k1 = static_cast<double>(k) + 1.0, k1sq = k1 * k1;
  return (1.0 / 12.0 - (1.0 / 360.0 - 1.0 / 1260.0 / k1sq) / k1sq) / k1;
}

struct Btrd {
  double n, p, r, nr, npq, b, a, c, alpha, v_r, u_r_v_r;
  std::int64_t m, trials;

  Btrd(std::int64_t trials_, double p_) : n(static_cast<double>(trials_)), p(p_), trials(trials_) {
    const double spq = std::sqrt(n * p * (1.0 - p));
    m = static_cast<std::int64_t>(std::floor((n + 1.0) * p));
    r = p / (1.0 - p);
    nr = (n + 1.0) * r;
    npq = n * p * (1.0 - p);
    b = 1.15 + 2.53 * spq;
    a = -0.0873 + 0.0248 * b + 0.01 * p;
    c = n * p + 0.5;
    alpha = (2.83 + 5.1 / b) * spq;
    v_r = 0.92 - 4.2 / b;
    u_r_v_r = 0.86 * v_r;
  }

  // The exact acceptance of k for the hat height v (step 3 of BTRD).
  bool accepts(std::int64_t k, double v) const {
    const std::int64_t km = k > m ? k - m : m - k;
    if (km <= 15) {
      double f = 1.0;
      for (std::int64_t i = m + 1; i <= k; ++i) f *= nr / static_cast<double>(i) - r;
      for (std::int64_t i = k + 1; i <= m; ++i) v *= nr / static_cast<double>(i) - r;
      return v <= f;
    }
    const double log_v = portable_log(v), d = static_cast<double>(km);
    const double rho = (d / npq) * (((d / 3.0 + 0.625) * d + 1.0 / 6.0) / npq + 0.5);
    const double t = -d * d / (2.0 * npq);
    if (log_v < t - rho) return true;
    if (log_v > t + rho) return false;
    const double nm = n - static_cast<double>(m) + 1.0, kd = static_cast<double>(k);
    const double h = (static_cast<double>(m) + 0.5) * portable_log((m + 1.0) / (r * nm)) +
                     stirling_correction(m) + stirling_correction(trials - m);
    const double nk = n - kd + 1.0;
    return log_v <= h + (n + 1.0) * portable_log(nm / nk) +
                        (kd + 0.5) * portable_log(nk * r / (kd + 1.0)) - stirling_correction(k) -
                        stirling_correction(trials - k);
  }

  std::int64_t draw(RandomStream& random) const {
    for (;;) {
      double v = random.unit();
      double u;
      if (v <= u_r_v_r) {  // the box of immediate acceptance
        u = v / v_r - 0.43;
        return static_cast<std::int64_t>(std::floor((2.0 * a / (0.5 - std::fabs(u)) + b) * u + c));
      }
      if (v >= v_r) {
        u = random.unit() - 0.5;
      } else {
        u = v / v_r - 0.93;
        u = (u < 0.0 ? -0.5 : 0.5) - u;
        v = random.unit() * v_r;
      }
      const double us = 0.5 - std::fabs(u);
      const double kf = std::floor((2.0 * a / us + b) * u + c);
      if (kf < 0.0 || kf > n) continue;
      const auto k = static_cast<std::int64_t>(kf);
      if (accepts(k, v * alpha / (a / (us * us) + b))) return k;
    }
  }
};

}  // namespace

std::int64_t binomial_draw(RandomStream& random, std::int64_t trials, double p) {
  if (trials <= 0 || p <= 0.0) return 0;
  if (p >= 1.0) return trials;
  // Drawn for the smaller of p and 1 - p, the failures counted when p is the larger.
  const bool flipped = p > 0.5;
  const double small = flipped ? 1.0 - p : p;
  const std::int64_t k = static_cast<double>(trials) * small < inversion_mean
                             ? binomial_by_inversion(random, trials, small)
                             : Btrd(trials, small).draw(random);
  return flipped ? trials - k : k;
}

std::vector<std::int64_t> multinomial_draw(RandomStream& random, std::int64_t trials,
                                           const std::vector<double>& probabilities) {
  // The probability of each category and those after it, summed from the back, so that a
  // category after which none is possible takes every trial left.
  std::vector<double> from(probabilities.size() + 1, 0.0);
  for (std::size_t c = probabilities.size(); c-- > 0;) from[c] = from[c + 1] + probabilities[c];
  std::vector<std::int64_t> counts(probabilities.size(), 0);
  for (std::size_t c = 0; c < probabilities.size() && trials > 0; ++c) {
    const double p = from[c + 1] > 0.0 ? std::min(1.0, probabilities[c] / from[c]) : 1.0;
    counts[c] = binomial_draw(random, trials, p);
    trials -= counts[c];
  }
  return counts;
}

}  // namespace tarn
