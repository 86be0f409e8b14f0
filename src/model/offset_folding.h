#pragma once
// A model whose offset terms are folded into fixed canonical parameters, for maximum likelihood
// by MCMC: each offset term becomes one without coefficients (a curved term of none), whose
// statistics' canonical parameters are the offset's values, so that the fit's coefficients are
// the free ones and its sampler draws at the whole vector, an offset of -Inf included.

#include <vector>

#include "model/model.h"

namespace tarn {

// The model with its offsets folded (its offset values set: with_offsets).
Model folded_offsets(const Model& model);

// From a vector of the free coefficients of `model` (in order) to one of every coefficient,
// each offset's entry `fill` (or its value where `fill` is nullopt).
std::vector<double> spread_free(const Model& model, const std::vector<double>& free,
                                std::optional<double> fill = std::nullopt);

}  // namespace tarn
