#pragma once
// The library's numbers of a fit (tarnwick/results/estimate.h) from what the estimator gave:
// every figure that the screen, the JSON, the tidy CSV and the figures show, computed here once.

#include "api/model_data.h"
#include "estimate/estimate.h"
#include "tarnwick/results/estimate.h"

namespace tarn {

tarnwick::Estimate estimate_numbers(const Estimate& estimate, const tarnwick::Model::Data& model);

// The MCMC run's record.
tarnwick::McmleRecord mcmle_record(const McmleResult& result);

// Equilibrium expectation's record: its settings, tasks and the check of its estimate.
tarnwick::EquilibriumRecord equilibrium_of(const EeRecord& record);

}  // namespace tarn
