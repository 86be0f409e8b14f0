#pragma once
// The pseudo-likelihood fit of a model with offset terms (ergm's offset(term)): the logistic
// regression of every dyad on the change statistics of the free coefficients, its linear
// predictor shifted by the offsets' fixed coefficients times their change statistics. A dyad
// whose offset part is -infinity has probability 0 (infinity: 1) and leaves the sums; one whose
// observed state that contradicts makes the network impossible under the model, which is
// refused naming the term.
//
// The dyads are swept one by one (networks up to largest_sweep dyads) and counted by distinct
// rows; the passes are those of every fit (mple/fit_passes.h).

#include "model/study.h"
#include "mple/fit_passes.h"
#include "mple/fit_result.h"

namespace tarn {

// The fit, its estimate and covariance over every coefficient: an offset's entry is its fixed
// value, with no variance (its rows and columns of the covariance are 0). Throws UsageError for
// a network the offsets forbid, or too many dyads to sweep.
FitResult fit_with_offsets(const Study& study, const FitObserver& observer = {},
                           const ParamVector* start = nullptr);

// The pseudo-score of the free coefficients at `estimate` (every coefficient, the offsets at their
// values) on the study's network: sum over its dyads of the free change statistics times (y - p),
// spread over every coefficient with 0 at the offsets, as Godambe errors read it.
ParamVector pseudo_score_with_offsets(const Study& study, const ParamVector& estimate);

}  // namespace tarn
