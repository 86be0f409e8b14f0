#pragma once
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// The file dialogue: names and opens the files, reads the network (and attribute) file and
// writes the file names at the head of the output file.
void readin(Records& rec, Io& io);

}  // namespace tarn
