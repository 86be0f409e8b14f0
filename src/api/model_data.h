#pragma once
// What a library Model holds: the network it was built on, and the study of the formula on a
// copy of the network's data (the terms may add notes and files to it).

#include "api/network_data.h"
#include "model/study.h"
#include "tarnwick/model.h"
#include "valued/valued_model.h"

struct tarnwick::Model::Data {
  Network network;
  std::string formula;
  tarn::InputData input;
  tarn::Study study;  // of a binary model
  // A model of counts (the network read with a response column and a reference other than
  // Bernoulli): its terms and reference; `study` is then empty.
  std::shared_ptr<const tarn::ValuedModel> valued;
  bool reference_given = false;
};

namespace tarn {

// What the readers and the model's terms noticed: the data's notes, then the model's warnings.
std::vector<Warning> model_notes(const tarnwick::Model::Data& data);

}  // namespace tarn
