#pragma once
// exp(x) from additions and multiplications only, so that it gives the same bits on every
// machine with IEEE doubles (the platform's exp may differ in the last bit between libraries).
// Relative error below 1e-15; the sampler's acceptance decisions use it.

namespace tarn {

double portable_exp(double x);

}  // namespace tarn

namespace tarn {

// log(x) for x > 0 from additions, multiplications and divisions only (the same bits on every
// machine, as portable_exp); relative error below 1e-15. NaN for x <= 0 or NaN.
double portable_log(double x);
// log(1 + x) for x > -1, accurate for small x (a binomial's log(1 - p) with tiny p).
double portable_log1p(double x);

}  // namespace tarn
