#pragma once
// Newton-Raphson in its reweighted least-squares form, apart from what it fits (as liblinear keeps
// its optimiser apart from its objective): each pass asks the objective for the weighted sums
// X'Wz and X'WX at the current estimate, inverts X'WX by Gauss-Jordan elimination and takes
// (X'WX)^-1 X'Wz, each entry held within -bound..bound, as the next estimate, until every entry
// moves by at most tolerance times (its size + tolerance_floor), or the pass limit.
//
// With halve_steps, the objective also gives its log-likelihood at each estimate, and a step that
// lowers it (or leaves no finite value) is taken back by half, one pass per halving, until the
// likelihood rises or the step is within the tolerance: the likelihood is concave, so the passes
// climb to its maximum from any start where it exists. Without, every step is taken whole (the
// dialogue's passes, to which its reports are pinned).

#include <functional>

#include "mple/fit_result.h"

namespace tarn {

struct NewtonSettings {
  int first_pass = 3;  // the passes are numbered first_pass .. last_pass
  int last_pass = 12;
  double bound = 15.0;
  double tolerance = 0.001;
  double tolerance_floor = 0.000001;
  bool halve_steps = false;
};

// unbounded: with halve_steps, X'WX became singular while the likelihood still rose (the fitted
// probabilities of some dyads reached exactly 0 or 1): the estimates grow without end, and the
// last one is where the passes stopped.
enum class NewtonEnd { converged, pass_limit, singular, unbounded };

struct NewtonRun {
  NewtonEnd end = NewtonEnd::converged;
  int passes = 0;
  int halvings = 0;  // passes that took a step back by half
};

// Fills wz_sum (X'Wz) and wxsq (X'WX) at `estimate` for pass `pass`, and returns the
// log-likelihood there (with halve_steps; otherwise anything).
using WeightedSums = std::function<double(int pass, const ParamVector& estimate,
                                          ParamVector& wz_sum, ParamMatrix& wxsq)>;

// Iterates from `estimate` (and `previous`, the estimate it is compared with first: the same
// values for a fresh start), leaving the last estimate in both.
NewtonRun newton_iterations(int m, ParamVector& estimate, ParamVector& previous,
                            const WeightedSums& sums, const NewtonSettings& settings = {});

// One step: estimate = (wxsq^-1 wz_sum) held within -bound..bound; wxsq is inverted in place.
// False, the estimate unchanged, when wxsq cannot be inverted.
bool newton_step(ParamMatrix& wxsq, const ParamVector& wz_sum, int m, double bound,
                 ParamVector& estimate);

}  // namespace tarn
