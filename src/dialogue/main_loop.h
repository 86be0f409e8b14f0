#pragma once
#include <istream>
#include <ostream>

#include "dialogue/dialogue_state.h"
#include "dialogue/session.h"

namespace tarn {

// The dialogue: banner, then cycles of the file dialogue, the model dialogue and the fit until
// the user declines to continue. Returns the exit status: 0, or 1 when the run ended on an error,
// which is reported on the screen after the output file has been flushed and closed.
int run_dialogue(std::istream& in, std::ostream& out);

// The loop itself, on state and channels the caller owns. Throws DialogueError, and the
// library's InputError and CapacityError, whose messages end the run.
void main_loop(DialogueState& state, Session& session);

}  // namespace tarn
