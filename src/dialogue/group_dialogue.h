#pragma once
#include "dialogue/session.h"
#include "tarnwick/classic/model.h"

namespace tarn {

// Block parameters when the structure has several block types (or none): each answer takes
// one configuration type 1..15 for some or all block types, as one group of consecutive
// parameters appended to `description`. Ends at 0, after the 15th group, and never adds a group
// past column 64.
void run_group_dialogue(const tarnwick::ClassicBlocking& blocking,
                        tarnwick::ClassicDescription& description, Session& session);

}  // namespace tarn
