#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// The parameter menu and its dialogues: rebuilds the parameter list, the group tables (when
// blocking) and the type switches, and opens the comparative network file when type 16 is in.
void choose_parameters(Records& rec, Io& io);

}  // namespace tarn
