#pragma once
#include "dialogue/session.h"
#include "tarnwick/classic/model.h"

namespace tarn {

// Global parameters: a count, then the type numbers 1..16 in the order typed, appended to
// `description`; a count of 0 chooses none.
void run_global_dialogue(tarnwick::ClassicDescription& description, Session& session);

}  // namespace tarn
