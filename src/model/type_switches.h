#pragma once
#include "store/records.h"

namespace tarn {

// Switches on the types that the chosen ones are built from, and sets triad_out_only (kept in
// the slot of type 1): when type 15 is the only triad type chosen, column 6 need only hold the
// two-paths from i to j.
void derive_type_switches(Records& rec);

}  // namespace tarn
