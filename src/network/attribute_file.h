#pragma once
#include "network/data_file.h"
#include "network/node_attributes.h"

namespace tarn {

// Reads an attribute file with `requested` values per record after the id (at most 8; 0 or
// less reads the ids alone) and counts the usable attributes.
// Records of ids 1..node_limit are read (the dialogue's 2000 unless the command line gives its
// own); others are skipped.
NodeAttributes read_attribute_file(DataFile& file, int requested, int node_limit = max_nodes);

}  // namespace tarn
