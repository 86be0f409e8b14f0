#pragma once
#include "dialogue/dialogue_state.h"
#include "dialogue/select.h"
#include "dialogue/session.h"

namespace tarn {

// Fits the chosen model with its progress line (" Pass  1.. 2.. 3.. Final"), then writes the
// report to the screen and the output file, or the message of a failed fit.
void fit_model(const DialogueState& state, ChosenModel& chosen, Session& session);

}  // namespace tarn
