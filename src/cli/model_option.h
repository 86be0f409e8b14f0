#pragma once
// The model of a --model list for a study: the terms parsed for its blocking and built, with the
// covariate term and --covariate required together.

#include <string>
#include <vector>

#include "cli/study.h"
#include "model/model.h"

namespace tarn {

// Throws UsageError naming --model or --covariate.
Model model_for(const std::string& list, const Study& study, bool covariate_given);

// What the model leaves unused of the options: block_by_unused (figure: attribute) when
// --block-by is given and the model has no block term.
std::vector<Warning> model_warnings(const Model& model, const StudyOptions& options);

}  // namespace tarn
