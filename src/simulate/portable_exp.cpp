#include "simulate/portable_exp.h"

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
