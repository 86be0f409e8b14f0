#include "api/constrained_model.h"

#include <memory>

#include "api/model_data.h"
#include "model/sample_space.h"

namespace tarn {

tarnwick::Model constrained_model(const tarnwick::Model& model, const std::string& constraints) {
  if (constraints.empty()) return model;
  auto data = std::make_shared<tarnwick::Model::Data>(model.data());
  data->study.space = std::make_shared<const SampleSpace>(
      build_sample_space(constraints, data->study.graph(), data->input.covariates,
                         &data->input.labels, &data->input.missing_dyads));
  return tarnwick::Model(std::move(data));
}

}  // namespace tarn
