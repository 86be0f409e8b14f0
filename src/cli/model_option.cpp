#include "cli/model_option.h"

#include "cli/usage_error.h"
#include "model/model_terms.h"

namespace tarn {

Model model_for(const std::string& list, const Study& study, bool covariate_given) {
  std::optional<int> block_types;
  if (study.blocking.in_use()) block_types = study.blocking.block_type_count;
  Model model;
  try {
    model = build_model(parse_model_terms(list, block_types), block_types.value_or(0));
  } catch (const ModelError& e) {
    throw UsageError(std::string("--model: ") + e.what());
  }
  if (model.uses(ConfigurationType::covariate) && !covariate_given) {
    throw UsageError("--model: the covariate term needs --covariate FILE");
  }
  if (!model.uses(ConfigurationType::covariate) && covariate_given) {
    throw UsageError("--covariate: the model has no covariate term (type 16)");
  }
  return model;
}

std::vector<Warning> model_warnings(const Model& model, const StudyOptions& options) {
  if (options.block_by.empty() || model.has_block_parameter()) return {};
  return {Warning{"block_by_unused"}.add_text("attribute", options.block_by)};
}

}  // namespace tarn
