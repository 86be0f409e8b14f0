#pragma once
// The maximum pseudo-likelihood fit: every dyad of the study is one observation of a logistic
// regression without a constant, its response whether i->j is present and its regressors the
// change statistics of the model's parameters. Newton-Raphson in its reweighted least-squares
// form, with Gauss-Jordan inversion:
//   pass 1      statistic totals and cross-products; dependent statistics end the fit
//   pass 2      starting values: the logits of the linear-probability fit, regressed
//   passes 3-12 Newton updates, each estimate held within the study's bound (the dialogue's
//               -15..15; none on the command line), until every estimate moves by at most 0.001
//               times its size (or the pass limit)
//   final pass  log-likelihood, residuals, classification and the covariance matrix
// Every sum starts from zero and adds its terms in sweep order (senders ascending, receivers
// ascending, parameters ascending within a dyad), so a fit has the same bits on every machine.

#include <functional>

#include "fit/dyad_sums.h"
#include "fit/fit_result.h"
#include "fit/pass_timing.h"
#include "model/study.h"

namespace tarn {

inline constexpr int first_newton_pass = 3;
inline constexpr int last_newton_pass = 12;
inline constexpr int final_pass = 99;

struct FitObserver {
  // Called as each pass begins: 1, 2, the Newton passes 3..12, and final_pass.
  std::function<void(int pass)> pass_started;
  PassTiming* timing = nullptr;  // per-sweep times, for the benchmarks
};

// The fit of a study's model to its network. A model of the sixteen configuration types on a
// directed network is computed by the fused kernel (16-bit statistics); any other by the term
// table (double statistics), with the same passes and rules.
FitResult fit_pseudo_likelihood(const Study& study, const FitObserver& observer = {});

// The same fit with the Newton passes started from `start` instead of the starting values of
// pass 2 (which is left out), for refits of networks like one already fitted.
FitResult fit_pseudo_likelihood_from(const Study& study, const ParamVector& start);

// The pseudo-score at `estimate`: per parameter the sum over the dyads of its statistic times
// the response less the fitted probability, in sweep order.
ParamVector pseudo_score(const Study& study, const ParamVector& estimate);

}  // namespace tarn
