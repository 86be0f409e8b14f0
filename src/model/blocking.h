#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// The blocking dialogue: keeps the earlier blocking, or asks for the blocking attribute and
// its block structure (the identity, or one typed row by row). Leaves block_attr = 0 for no
// blocking; otherwise 1 <= block_attr <= attr_count, 1 <= block_count <= 16 and every entry of
// the structure within 0..16. Does nothing when no attribute file was read for blocks.
void settle_blocking(Records& rec, Io& io);

}  // namespace tarn
