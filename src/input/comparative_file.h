#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Rewinds the comparative network file and positions it on its first non-zero record.
void init(Records& rec, Io& io);

// Fills column 16 of the statistics table for sender i from the comparative stream.
void comparative_step(Records& rec, Io& io, int16 i);

}  // namespace tarn
