#pragma once
#include "network/comparative_network.h"
#include "network/data_file.h"

namespace tarn {

// Reads a comparative network file for the nodes 1..n. Its records are sorted by sender; they
// are taken sender by sender in ascending order, as if each sender's row were read in its turn:
// records of value 0 are skipped, a record that comes after the rows it belongs to is lost, a
// receiver outside 1..n is passed over, at most n records are taken per sender, and reading
// stops where the last row ends. A file without a record of non-zero value ends the run.
ComparativeNetwork read_comparative_file(DataFile& file, int node_count);

}  // namespace tarn
