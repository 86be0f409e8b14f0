#pragma once
// Edge lists: one link per row, a sender, a receiver and an optional value, as CSV, TSV or
// blank-separated text (network/delimited_text.h has the rules of the fields, edge_rows.h those
// of the header and the columns).
//
// - A row of value 0 is no link, but its labels name nodes, so that a full list of dyads keeps
//   its isolated nodes. Any other value (a number; 2.7 as well) is a link: a network's ties have
//   no size, and the links of a value other than 1 are counted in the warning
//   weights_read_as_ties. A negative value is an error.
// - Labels: when every label is a node number (network/node_labels.h: digits within 1..2000, no
//   leading zero) the nodes keep those numbers and n is the largest; so a record file written as an
//   edge list gives the same network (unless its highest node is named only by rows of value 0).
//   Otherwise, and always with `labels` (--labels), the nodes are numbered 1, 2, ... in order of
//   first appearance (sender before receiver, row by row) and the labels are kept. With node_count
//   (--nodes N) every label must be a node number within 1..N, and the nodes are 1..N, linked or
//   not.
// - Links are stored sorted by sender, in file order within a sender; links given twice and
//   self-links are kept as read. Every row is noted (network/pair_rows.h): a pair given again
//   with another value ends the run, and the warnings say how many rows were copies of another
//   (repeated_rows_merged) or of value 0 (zero_value_rows), for the network made of them
//   (network/single_links.h).
// - A first row that HeaderRule::detect read as a link, whose two labels (not both numbers)
//   appear in no other row, may be a header. It is taken for one (warning header_guessed, reason
//   labels_alone) when more than 10 rows follow it and none of them names both its nodes by
//   numbers; otherwise it stays a link and the warning header_read_as_link names it. A header
//   that HeaderRule::detect took by a guess (edge_rows.h: a value that is not a number, labels
//   over numbers) is said as well (header_guessed, reason value_not_a_number or
//   labels_over_numbers), and pandas' index column, not read, too (index_column_skipped).

#include <istream>
#include <string>
#include <vector>

#include "network/edge_rows.h"
#include "network/labelled_network.h"
#include "network/network_format.h"

namespace tarn {

struct EdgeListOptions {
  HeaderRule header = HeaderRule::detect;
  std::vector<std::string> columns;  // --columns SENDER,RECEIVER[,VALUE]; empty: edge_rows.h
  int node_count = 0;                // --nodes N; 0: the nodes come from the labels
  bool labels = false;               // --labels: numbers are labels too, not node numbers
  // The network is undirected: rows i,j and j,i given with different values are said
  // (network/pair_rows.h). The links are stored as read, each row its own.
  bool undirected = false;
  // Nodes 1..bipartite are the first mode of a two-mode network: a row within a mode is refused
  // (0: one mode).
  int bipartite = 0;
  // --two-mode: senders name the first mode's nodes and receivers the second's, by label, each
  // mode its own labels (network/two_mode_names.h); the network read says its first mode
  // (Network::bipartite). No file without a node of each mode.
  bool two_mode = false;
  // The dialogue's capacities unless the command line gives its own: node numbers up to
  // limits.nodes are node numbers, and a label that would be node limits.nodes + 1 ends the run.
  NetworkLimits limits = dialogue_limits;
  // --response: the column of counts (a header's name, or a 1-based number). Every value must be
  // a whole number 0, 1, 2, ... (NA: missing); the network's links are the non-zero dyads and
  // LabelledNetwork::counts their values. Empty: values are read as above.
  std::string response{};
};

// Reads an edge list in `format` (csv, tsv or blank; a Pajek or record file is
// std::invalid_argument: read_pajek reads the one, network_file.h the other). Bad input ends the
// run with a message naming the file and the line.
LabelledNetwork read_edge_list(std::istream& in, const std::string& file_name, NetworkFormat format,
                               const EdgeListOptions& options);
LabelledNetwork read_edge_list(std::istream& in, const std::string& file_name, NetworkFormat format,
                               HeaderRule header = HeaderRule::detect);

}  // namespace tarn
