#pragma once
// The model of a --model list for a study: the terms parsed for its blocking and built, with the
// covariate term and --covariate required together.

#include <string>

#include "cli/study.h"
#include "model/model.h"

namespace tarn {

// Throws UsageError naming --model or --covariate.
Model model_for(const std::string& list, const Study& study, bool covariate_given);

}  // namespace tarn
