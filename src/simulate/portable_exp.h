#pragma once
// exp(x) from additions and multiplications only, so that it gives the same bits on every
// machine with IEEE doubles (the platform's exp may differ in the last bit between libraries).
// Relative error below 1e-15; the sampler's acceptance decisions use it.

namespace tarn {

double portable_exp(double x);

}  // namespace tarn
