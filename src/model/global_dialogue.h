#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Global parameters: a count, then the type numbers 1..16 in the order typed; a count of 0
// chooses none.
void run_global_dialogue(Records& rec, Io& io);

}  // namespace tarn
