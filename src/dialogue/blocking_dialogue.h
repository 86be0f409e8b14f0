#pragma once
#include "dialogue/dialogue_state.h"
#include "dialogue/session.h"

namespace tarn {

// The blocking dialogue: keeps the earlier blocking, or asks for the blocking attribute and
// its block structure (the identity, or one typed row by row). Leaves attribute 0 for no
// blocking; otherwise a usable attribute with 1..16 blocks and every entry of the structure
// within 0..16. Does nothing when no attribute file was read for blocks.
void settle_blocking(DialogueState& state, Session& session);

}  // namespace tarn
