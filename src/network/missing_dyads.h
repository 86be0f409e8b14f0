#pragma once
// Dyads whose value is unknown (a survey's non-respondents): neither a link nor none. An edge
// list marks one by a value NA or an empty value, a --missing file lists them as an edge list.
// The study then keeps them: statistics count them as no link, the fits leave them out of the
// observed dyads (ergm's NA edges).

#include <istream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "network/edge_rows.h"
#include "network/network.h"
#include "network/network_format.h"
#include "network/node_labels.h"

namespace tarn {

// One row that names a missing dyad: its nodes (1..n) and its line.
struct MissingRow {
  int sender = 0, receiver = 0;
  long line = 0;
};

// The rows of one file.
struct MissingRows {
  std::string file;
  std::vector<MissingRow> rows;
};

// The dyads listed in a --missing file (csv, tsv or blank; a value column is not read), named as
// the network names its nodes. Bad input (a label that is no node) ends the run naming the file
// and the line. `first_mode` > 0: a two-mode network whose modes have labels of their own
// (--two-mode, nodes 1..first_mode the first), whose senders name first-mode nodes and receivers
// second-mode ones.
std::vector<MissingRow> read_missing_list(std::istream& in, const std::string& file_name,
                                          NetworkFormat format, const NodeLabels& labels,
                                          int node_count, HeaderRule header, int first_mode = 0);

// The missing dyads of the rows, sorted, each once; undirected as (i, j) with i < j; self-pairs
// left out unless `diagonal`. A row whose dyad is a link of `network` (the network as stored:
// undirected, each edge once as a->b with a < b) ends the run naming its file and line.
std::vector<std::pair<int, int>> settle_missing_dyads(const Network& network,
                                                      std::span<const MissingRows> given,
                                                      bool directed, bool diagonal,
                                                      const NodeLabels& labels);

// `network` without the links on missing dyads (its nodes kept): a network drawn seen as the
// observed one is, the missing dyads as no link.
Network without_missing_dyads(const Network& network, std::span<const std::pair<int, int>> missing,
                              bool directed);

// (i, j) is among the sorted missing dyads (undirected: either order).
bool is_missing_dyad(std::span<const std::pair<int, int>> missing, int i, int j, bool directed);

}  // namespace tarn
