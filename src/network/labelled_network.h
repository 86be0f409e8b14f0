#pragma once
// A network read from a file that names its nodes (an edge list, a Pajek file): the store, the
// names of its nodes, the header the file had, and what the reader noticed.

#include <string>
#include <vector>

#include "network/missing_dyads.h"
#include "network/network.h"
#include "network/node_labels.h"
#include "network/warning.h"

namespace tarn {

// A row of an edge list read with --response: a dyad's count (not 0), its nodes as stored.
struct CountRow {
  int sender = 0, receiver = 0;
  int value = 0;
  long line = 0;
};

struct LabelledNetwork {
  Network network;
  NodeLabels labels;
  std::vector<std::string> header;  // empty when the file has none
  std::vector<Warning> warnings;    // what the reader noticed (codes and figures)
  std::vector<MissingRow> missing;  // rows of value NA (edge_rows.h), their nodes as stored
  std::vector<CountRow> counts;     // with a response column: the rows of non-zero counts
  // The first row within a mode of a two-mode network (EdgeListOptions::bipartite), with its
  // file and line; empty: none. The reader of the options refuses it once it knows the nodes.
  std::string within_mode_row;
};

}  // namespace tarn
