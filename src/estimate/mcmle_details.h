#pragma once
// The record of an MCMC fit for its results: the start and where it moved, every iteration, the
// convergence figures of the last sample, the check of the estimate, and the evidence behind a
// verdict, as the "mcmle" section of the JSON results.

#include <nlohmann/json.hpp>

#include "mcmle/mcmle.h"

namespace tarn {

nlohmann::ordered_json mcmle_details(const McmleResult& result);

}  // namespace tarn
