#pragma once
#include <ostream>

#include "tarnwick/classic/model.h"

namespace tarn {

// Shows the block structure row by row: each value right-aligned in 3 columns, 8 values to a
// line, so that a row of 9 to 16 blocks takes two lines. No heading.
void show_block_structure(const tarnwick::ClassicBlocking& blocking, std::ostream& screen);

}  // namespace tarn
