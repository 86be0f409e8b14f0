#pragma once
// The estimator's own record in the JSON results, the section named after the method: the MCMC
// run (its start and where it moved, every iteration, the convergence figures of the last sample,
// the check of the estimate and the evidence behind a verdict), equilibrium expectation's tasks
// and check, or the sample of empty dyads. Null for an estimator without a record.

#include <nlohmann/json.hpp>

#include "tarnwick/results/estimate.h"

namespace tarn {

nlohmann::ordered_json estimator_json(const tarnwick::Estimate& estimate);

}  // namespace tarn
