#include "mple/newton.h"

#include <cmath>
#include <limits>

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

namespace {

// Whether any entry moved by more than the tolerance from `from` to `to`.
bool moved_beyond(const ParamVector& from, const ParamVector& to, int m,
                  const NewtonSettings& settings) {
  for (int k = 1; k <= m; ++k) {
    const double d = std::fabs(from(k) - to(k));
    if (d > settings.tolerance * (std::fabs(to(k)) + settings.tolerance_floor)) return true;
  }
  return false;
}

NewtonRun iterations_halving_steps(int m, ParamVector& estimate, ParamVector& previous,
                                   const WeightedSums& sums, const NewtonSettings& settings) {
  NewtonRun run;
  ParamVector wz_sum(m);
  ParamMatrix wxsq(m);
  ParamVector taken = estimate;  // the estimate the last whole or halved step was taken from
  double taken_loglik = -std::numeric_limits<double>::infinity();
  for (int pass = settings.first_pass;;) {
    wz_sum.fill(0.0);
    wxsq.fill(0.0);
    const double loglik = sums(pass, estimate, wz_sum, wxsq);
    ++run.passes;
    // A likelihood within rounding of the last one is no fall: the sums of a pass over 10^12
    // dyads differ in their last digits from point to point.
    const double rounding = 1e-12 * std::fabs(taken_loglik);
    if (run.passes > 1 && !(loglik >= taken_loglik - rounding)) {
      ++run.halvings;
      for (int k = 1; k <= m; ++k) estimate(k) = 0.5 * (taken(k) + estimate(k));
      if (!moved_beyond(taken, estimate, m, settings)) {
        estimate = taken;
        previous = taken;
        return run;
      }
      if (++pass > settings.last_pass) {
        run.end = NewtonEnd::pass_limit;
        estimate = taken;
        previous = taken;
        return run;
      }
      continue;
    }
    taken = estimate;
    taken_loglik = loglik;
    if (!newton_step(wxsq, wz_sum, m, settings.bound, estimate)) {
      run.end = NewtonEnd::unbounded;
      estimate = taken;
      previous = taken;
      return run;
    }
    if (++pass > settings.last_pass) {
      run.end = NewtonEnd::pass_limit;
      return run;
    }
    const bool moved = moved_beyond(taken, estimate, m, settings);
    previous = estimate;
    if (!moved) return run;
  }
}

}  // namespace

NewtonRun newton_iterations(int m, ParamVector& estimate, ParamVector& previous,
                            const WeightedSums& sums, const NewtonSettings& settings) {
  if (settings.halve_steps) return iterations_halving_steps(m, estimate, previous, sums, settings);
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
