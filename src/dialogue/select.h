#pragma once
#include <optional>

#include "dialogue/dialogue_state.h"
#include "dialogue/session.h"
#include "tarnwick/classic/data.h"
#include "tarnwick/classic/model.h"

namespace tarn {

// What the model dialogue chose: the model, and the comparative network file when the model has
// the covariate (type 16), opened and named in the output file but not yet read (it is read
// when the fit begins, fit_step.h).
struct ChosenModel {
  tarnwick::ClassicModel model;
  std::optional<tarnwick::ClassicFile> comparative_file;
};

// The model dialogue: blocking, then the parameter menu and its dialogues.
ChosenModel select_model(DialogueState& state, Session& session);

}  // namespace tarn
