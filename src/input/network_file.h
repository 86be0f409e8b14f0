#pragma once
#include "input/data_file.h"
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Reads the network file into the link store, with the " Reading " progress line.
void read_network(Records& rec, Io& io, DataFile& file);

}  // namespace tarn
