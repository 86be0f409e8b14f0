#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Block parameters when the structure has several block types (or none): each answer takes
// one configuration type 1..15 for some or all block types, as one group of consecutive
// parameters. Ends at 0, after the 15th group, or never adds a group past column 64.
void run_group_dialogue(Records& rec, Io& io);

}  // namespace tarn
