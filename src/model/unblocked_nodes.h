#pragma once
#include <ostream>

#include "store/records.h"

namespace tarn {

// Number of nodes 1..n whose value of the blocking attribute is not a block 1..block_count
// (no record in the attribute file, or a value the structure has no row for). 0 when there is
// no blocking.
int count_unblocked_nodes(const Records& rec);

// Tells the user once, on one line, how many nodes lie in no block; says nothing when all do.
void report_unblocked_nodes(const Records& rec, std::ostream& screen);

}  // namespace tarn
