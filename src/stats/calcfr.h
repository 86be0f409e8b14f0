#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Tie row and change statistics of every switched-on column for the dyads of sender i.
void calcfr(Records& rec, Io& io, int16 i);

}  // namespace tarn
