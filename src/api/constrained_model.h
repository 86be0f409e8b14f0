#pragma once
// A model whose study keeps to the sample space of a constraint text (model/sample_space.h).

#include <string>

#include "tarnwick/model.h"

namespace tarn {

// `model` itself for an empty text; otherwise a copy whose study has the space of `constraints`
// on its network and node attributes. Throws UsageError for constraints that do not fit. A term
// the space holds constant is kept (drawn at given coefficients, it stays constant); a fit
// refuses it.
tarnwick::Model constrained_model(const tarnwick::Model& model, const std::string& constraints);

}  // namespace tarn
