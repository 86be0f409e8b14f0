#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Maximum pseudo-likelihood fit of the selected model; reports through output().
void fit_model(Records& rec, Io& io);

}  // namespace tarn
