#include "api/api_errors.h"
#include "api/model_data.h"
#include "api/records.h"
#include "api/valued_model.h"
#include "io/study_building.h"

namespace tarn {

std::vector<Warning> model_notes(const tarnwick::Model::Data& data) {
  std::vector<Warning> notes = data.input.notes;
  for (Warning& w : model_warnings(data.study.model, data.network.data().options)) {
    notes.push_back(std::move(w));
  }
  return notes;
}

}  // namespace tarn

namespace tarnwick {

const Network& Model::network() const {
  return data_->network;
}
const std::string& Model::formula() const {
  return data_->formula;
}

std::vector<InputFile> Model::input_files() const {
  std::vector<InputFile> files = data_->network.input_files();
  for (const tarn::InputFileRecord& file : data_->input.files) {
    if (file.role == "edgecov") files.push_back({file.path, "edgecov in --model"});
  }
  return files;
}

std::vector<WarningRecord> Model::notes() const {
  return tarn::records_of(tarn::model_notes(*data_), "data");
}

bool Model::configuration_types_only() const {
  return static_cast<bool>(data_->study.model.kernel);
}

std::vector<std::string> Model::statistic_names() const {
  if (data_->valued) return data_->valued->names;
  return data_->study.model.statistic_names();
}

Model build_model(const Network& network, const std::string& formula) {
  return tarn::with_library_errors([&] {
    auto data = std::make_shared<Model::Data>(
        Model::Data{network, formula, network.data().input, {}, nullptr, false});
    if (data->input.counts) data->valued = tarn::valued_model_of(*data);
    if (!data->valued)
      data->study = tarn::build_study(formula, data->input, network.data().options);
    return Model(std::move(data));
  });
}

}  // namespace tarnwick
