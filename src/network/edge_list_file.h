#pragma once
// Edge lists: one link per row, sender, receiver and an optional value, as CSV, TSV or
// blank-separated text (network/delimited_text.h has the rules of the fields).
//
// - Every row has the same number of fields, 2 or 3 (the header too); a row of value 0 is no
//   link, but its labels name nodes, so that a full list of dyads keeps its isolated nodes.
//   Values are whole numbers (network/delimited_text.h); a negative value is an error.
// - Labels: when every label is a node number (network/node_labels.h: digits within 1..2000, no
//   leading zero) the nodes keep those numbers and n is the largest; so a record file written as an
//   edge list gives the same network (unless its highest node is named only by rows of value 0).
//   Otherwise the nodes are numbered 1, 2, ... in order of first appearance (sender before
//   receiver, row by row) and the labels are kept.
// - Links are stored sorted by sender, in file order within a sender; links given twice and
//   self-links are kept.
// - HeaderRule::detect takes the first row for a header when its value field is not a whole
//   number, or its sender and receiver are not both whole numbers while those of the second row
//   are, or its first field is one of source, target, from, to, sender, receiver, ego, alter,
//   tail, head, i, j, v1, v2, node1, node2, id1, id2 (in any case).

#include <functional>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/delimited_text.h"
#include "network/labelled_network.h"
#include "network/network_format.h"
#include "network/node_labels.h"

namespace tarn {

enum class HeaderRule { detect, present, absent };

// Reads an edge list in `format` (csv, tsv or blank; a Pajek or record file is
// std::invalid_argument: read_pajek reads the one, network_file.h the other). Bad input ends the
// run with a message naming the file and the line.
LabelledNetwork read_edge_list(std::istream& in, const std::string& file_name, NetworkFormat format,
                               HeaderRule header = HeaderRule::detect);

// The syntax of the fields of a csv, tsv or blank file (blank: # comment lines).
DelimitedSyntax delimited_syntax(NetworkFormat format);

// Whether `first` is a header row by the rule of HeaderRule::detect; `second` is the row after
// it (empty when there is none).
bool looks_like_header(std::span<const std::string_view> first,
                       std::span<const std::string_view> second);

// Reads the rows of an edge list (2 or 3 fields each, all alike), handing every row that is not
// the header to `take` with its line; returns the header (empty when there is none). An empty
// file, or a header without a row after it, ends the run.
std::vector<std::string> read_edge_rows(
    DelimitedReader& reader, HeaderRule rule,
    const std::function<void(std::span<const std::string_view>, long)>& take);

}  // namespace tarn
