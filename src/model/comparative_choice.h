#pragma once
#include "input/io.h"

namespace tarn {

// Asks for the comparative network file until an existing one is named, opens it as unit 7 and
// names it in the output file.
void choose_comparative_file(Io& io);

}  // namespace tarn
