#pragma once
// A network read from a file that names its nodes (an edge list, a Pajek file): the store, the
// names of its nodes, and the header the file had.

#include <string>
#include <vector>

#include "network/network.h"
#include "network/node_labels.h"

namespace tarn {

struct LabelledNetwork {
  Network network;
  NodeLabels labels;
  std::vector<std::string> header;  // empty when the file has none
};

}  // namespace tarn
