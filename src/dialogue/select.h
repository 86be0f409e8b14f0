#pragma once
#include <memory>

#include "dialogue/dialogue_state.h"
#include "dialogue/session.h"
#include "model/kernel_layout.h"
#include "network/data_file.h"

namespace tarn {

// What the model dialogue chose: the configuration types and their layout, and the comparative
// network file when the model has the covariate (type 16), opened and named in the output file
// but not yet read. The model itself is built when its data are read (fit_step.h).
struct ChosenModel {
  ModelDescription description;
  KernelLayout layout;
  std::unique_ptr<DataFile> comparative_file;
};

// The model dialogue: blocking, then the parameter menu and its dialogues.
ChosenModel select_model(DialogueState& state, Session& session);

}  // namespace tarn
