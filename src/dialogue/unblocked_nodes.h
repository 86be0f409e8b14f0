#pragma once
#include <ostream>

#include "dialogue/dialogue_state.h"

namespace tarn {

// Tells the user once, on one line, how many nodes lie in no block; says nothing when all do.
void report_unblocked_nodes(const DialogueState& state, std::ostream& screen);

}  // namespace tarn
