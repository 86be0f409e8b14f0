#pragma once
// The covariate network (configuration type 16) as an edge list or a Pajek file: the second
// relation on the nodes of the network, one value per ordered pair.
//
// - Edge list (csv, tsv, blank; header as for edge lists): sender, receiver and a value; a row
//   without a value column gives 1. Pajek: the arc weights (an edge gives both ways).
// - Values are whole numbers within -32768..32767; 0 is no value (the row is passed over).
// - Senders and receivers are named as the network names its nodes (`labels`): a name that is
//   no node 1..node_count ends the run. A Pajek vertex stands for the node of its label, or of
//   its number when it has none or the network's nodes are numbered.
// - A later value for the same ordered pair replaces the earlier one in its place; the values of
//   a sender keep the order of the file. A file with no non-zero value ends the run.

#include <istream>
#include <string>

#include "network/comparative_network.h"
#include "network/dyad_values.h"
#include "network/edge_rows.h"
#include "network/network_format.h"
#include "network/node_labels.h"

namespace tarn {

ComparativeNetwork read_covariate_list(std::istream& in, const std::string& file_name,
                                       NetworkFormat format, const NodeLabels& labels,
                                       int node_count, HeaderRule header = HeaderRule::detect);

// A dyadic covariate of any real values (edgecov) from the same forms: the value of a pair is
// the number its row gives (any real number; 1 without a value column), a pair without a row is
// 0, and a later row of a pair replaces an earlier one. A file without a row ends the run.
DyadValues read_dyad_values(std::istream& in, const std::string& file_name, NetworkFormat format,
                            const NodeLabels& labels, int node_count,
                            HeaderRule header = HeaderRule::detect);

}  // namespace tarn
