#pragma once
#include "input/data_file.h"
#include "store/records.h"

namespace tarn {

// Reads the attribute file (attr_count values per record) and recounts the usable attributes.
void read_attributes(Records& rec, DataFile& file);

}  // namespace tarn
