#include "numeric/portable_exp.h"

#include <cmath>
#include <limits>

namespace tarn {

namespace {

// 2^(j/32), j = 0..31, each the double nearest the exact value.
constexpr double powers_of_two[32] = {
    0x1.0000000000000p+0, 0x1.059b0d3158574p+0, 0x1.0b5586cf9890fp+0, 0x1.11301d0125b51p+0,
    0x1.172b83c7d517bp+0, 0x1.1d4873168b9aap+0, 0x1.2387a6e756238p+0, 0x1.29e9df51fdee1p+0,
    0x1.306fe0a31b715p+0, 0x1.371a7373aa9cbp+0, 0x1.3dea64c123422p+0, 0x1.44e086061892dp+0,
    0x1.4bfdad5362a27p+0, 0x1.5342b569d4f82p+0, 0x1.5ab07dd485429p+0, 0x1.6247eb03a5585p+0,
    0x1.6a09e667f3bcdp+0, 0x1.71f75e8ec5f74p+0, 0x1.7a11473eb0187p+0, 0x1.82589994cce13p+0,
    0x1.8ace5422aa0dbp+0, 0x1.93737b0cdc5e5p+0, 0x1.9c49182a3f090p+0, 0x1.a5503b23e255dp+0,
    0x1.ae89f995ad3adp+0, 0x1.b7f76f2fb5e47p+0, 0x1.c199bdd85529cp+0, 0x1.cb720dcef9069p+0,
    0x1.d5818dcfba487p+0, 0x1.dfc97337b9b5fp+0, 0x1.ea4afa2a490dap+0, 0x1.f50765b6e4540p+0,
};

}  // namespace

double portable_exp(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.0) return std::numeric_limits<double>::infinity();
  if (x < -745.0) return 0.0;
  // x = (32 e + j) ln 2 / 32 + r with |r| <= ln 2 / 64; ln 2 / 32 split in a part of 36 bits
  // (exact products for |k| < 2^17) and the rest.
  constexpr double step_high = 0x1.62e42fefa0000p-6;
  constexpr double step_low = 0x1.cf79abc9e3b3ap-45;
  const double k = std::nearbyint(x * 46.16624130844683);
  const double r = (x - k * step_high) - k * step_low;
  // exp(r) to r^7/7!, Horner's rule: the remainder is below 2^-60 for |r| <= 0.0109.
  const double p =
      1.0 +
      r * (1.0 + r * (0x1.0000000000000p-1 +
                      r * (0x1.5555555555555p-3 +
                           r * (0x1.5555555555555p-5 +
                                r * (0x1.1111111111111p-7 +
                                     r * (0x1.6c16c16c16c17p-10 + r * 0x1.a01a01a01a01ap-13))))));
  const auto whole = static_cast<long>(k);
  const long j = ((whole % 32) + 32) % 32;
  return std::ldexp(powers_of_two[j] * p, static_cast<int>((whole - j) / 32));
}

}  // namespace tarn

namespace tarn {

namespace {

// log(m) for m in [sqrt(2)/2, sqrt(2)]: 2 atanh(s), s = (m - 1) / (m + 1), |s| <= 0.172; the
// series to s^29 leaves a remainder below 2^-60.
double log_near_one(double m) {
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double sum = 0.0;
  for (int k = 29; k >= 3; k -= 2) sum = (sum + 1.0 / k) * s2;
  return 2.0 * (s + s * sum);
}

}  // namespace

double portable_log(double x) {
  if (std::isnan(x) || x < 0.0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0.0) return -std::numeric_limits<double>::infinity();
  if (std::isinf(x)) return x;
  int exponent = 0;
  double m = std::frexp(x, &exponent);  // exact: x = m 2^exponent, 0.5 <= m < 1
  if (m < 0x1.6a09e667f3bcdp-1) {
    m *= 2.0;
    --exponent;
  }
  // ln 2 in a high part of 32 bits (exact products by the exponent) and the rest.
  constexpr double ln2_high = 0x1.62e42fefp-1;
  constexpr double ln2_low = 0x1.473de6af278edp-34;
  const double e = exponent;
  return (e * ln2_high + log_near_one(m)) + e * ln2_low;
}

double portable_log1p(double x) {
  if (std::fabs(x) < 1e-4) {
    // x - x^2/2 + x^3/3 - x^4/4 + x^5/5: the next term is below 1e-24 x.
    return x * (1.0 + x * (-0.5 + x * (1.0 / 3.0 + x * (-0.25 + x * 0.2))));
  }
  // log(u) x / (u - 1) undoes the rounding of u = 1 + x (Goldberg 1991).
  const double u = 1.0 + x;
  return portable_log(u) * (x / (u - 1.0));
}

}  // namespace tarn
