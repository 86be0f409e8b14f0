#pragma once
#include "store/records.h"

namespace tarn {

// Copies the finished type columns of sender i into the block-parameter columns of every group
// in use: group e's column group_column0(e) + b receives column group_type(e) on the dyads whose
// block pair has block-type number b, and 0 elsewhere.
//
// A node whose block lies outside 1..block_count (0 for a node without an attribute record)
// belongs to no block pair: its dyads, as sender or receiver, get 0 in every group column. A
// block_type entry outside 0..block_type_count counts as 0, and a group whose columns would
// leave 17..64 is not filled, so nothing outside a group's own columns is ever written.
void block_split(Records& rec, int16 i);

}  // namespace tarn
