#pragma once
#include "dialogue/dialogue_state.h"
#include "dialogue/session.h"

namespace tarn {

// The file dialogue: names and opens the network file, asks for the diagonal and block
// parameters (and the attribute file), opens the output file, reads the network (and attribute)
// file and writes the file names at the head of the output file.
void readin(DialogueState& state, Session& session);

}  // namespace tarn
