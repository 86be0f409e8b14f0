#pragma once
// Maximum likelihood by MCMC of a model with offset terms: the free coefficients are fitted with
// the offsets folded into fixed canonical parameters (model/offset_folding.h), from the
// pseudo-likelihood fit with the offsets; the result is then spread over every coefficient, an
// offset's entry its value, without variance or Monte Carlo error. A dyad-independent model's
// pseudo-likelihood fit is its exact MLE, as without offsets.

#include "estimate/estimate.h"

namespace tarn {

Estimate fit_offsets_by_mcmle(const Study& study, const EstimatorSettings& settings,
                              const EstimatorProgress& progress);

// The MCMC fit of the folded model spread over the coefficients of `full`.
McmleResult spread_over_coefficients(const McmleResult& folded, const Model& full);

}  // namespace tarn
