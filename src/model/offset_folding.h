#pragma once
// A model whose offset terms are folded into fixed canonical parameters, for maximum likelihood
// by MCMC: each offset term becomes one without coefficients (a curved term of none), whose
// statistics' canonical parameters are the offset's values, so that the fit's coefficients are
// the free ones and its sampler draws at the whole vector, an offset of -Inf included.

#include <optional>
#include <vector>

#include "model/model.h"

namespace tarn {

// The model with its offsets folded (its offset values set: with_offsets).
Model folded_offsets(const Model& model);

// The term an offset was folded from and its fixed values; nothing for any other term.
struct UnfoldedOffset {
  TermPointer term;
  std::vector<double> values;
};
std::optional<UnfoldedOffset> unfolded_offset(const TermPointer& term);

// From a vector of the free coefficients of `model` (in order) to one of every coefficient,
// each offset's entry `fill` (or its value where `fill` is nullopt).
std::vector<double> spread_free(const Model& model, const std::vector<double>& free,
                                std::optional<double> fill = std::nullopt);

}  // namespace tarn
