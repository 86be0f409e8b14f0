#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// The model dialogue: blocking, then the parameter list and the switches of the statistics.
void select(Records& rec, Io& io);

}  // namespace tarn
