#include "mple/newton.h"

#include <cmath>

#include "numeric/gaussj.h"

namespace tarn {

bool newton_step(ParamMatrix& wxsq, const ParamVector& wz_sum, int m, double bound,
                 ParamVector& estimate) {
  if (!gaussj(wxsq, m)) return false;
  for (int k = 1; k <= m; ++k) {
    double sum = 0.0;
    for (int l = 1; l <= m; ++l) sum += wxsq(k, l) * wz_sum(l);
    if (sum > bound) sum = bound;
    if (sum < -bound) sum = -bound;
    estimate(k) = sum;
  }
  return true;
}

NewtonRun newton_iterations(int m, ParamVector& estimate, ParamVector& previous,
                            const WeightedSums& sums, const NewtonSettings& settings) {
  NewtonRun run;
  ParamVector wz_sum(m);
  ParamMatrix wxsq(m);
  for (int pass = settings.first_pass;;) {
    wz_sum.fill(0.0);
    wxsq.fill(0.0);
    sums(pass, estimate, wz_sum, wxsq);
    ++run.passes;
    if (!newton_step(wxsq, wz_sum, m, settings.bound, estimate)) {
      run.end = NewtonEnd::singular;
      return run;
    }
    if (++pass > settings.last_pass) {
      run.end = NewtonEnd::pass_limit;
      return run;
    }
    bool moved = false;
    for (int k = 1; k <= m; ++k) {
      const double d = std::fabs(previous(k) - estimate(k));
      previous(k) = estimate(k);
      if (d > settings.tolerance * (std::fabs(estimate(k)) + settings.tolerance_floor)) {
        moved = true;
      }
    }
    if (!moved) return run;
  }
}

}  // namespace tarn
