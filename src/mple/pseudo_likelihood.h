#pragma once
// The maximum pseudo-likelihood fit: every dyad of the study is one observation of a logistic
// regression without a constant, its response whether i->j is present and its regressors the
// change statistics of the model's parameters, fitted by the passes of mple/fit_passes.h:
// Newton-Raphson in its reweighted least-squares form, with Gauss-Jordan inversion, each
// estimate held within the study's bound (the dialogue's -15..15; none on the command line).
// Every sum starts from zero and adds its terms in sweep order (senders ascending, receivers
// ascending, parameters ascending within a dyad), so a fit has the same bits on every machine.

#include "model/study.h"
#include "mple/dyad_sums.h"
#include "mple/fit_passes.h"
#include "mple/fit_result.h"

namespace tarn {

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
