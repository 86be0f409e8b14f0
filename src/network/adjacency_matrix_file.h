#pragma once
// A dyadic covariate written as a square matrix, as R writes one (write.csv, write.table): the
// value of the dyad (i, j) in row i, column j. Either n rows of n numbers (the nodes in their
// order), or with the nodes' labels: a header row of the n labels (after an empty first field, as
// write.csv writes it, or without one) and n rows each beginning with its node's label, rows and
// columns in any order of the nodes. Fields are separated as the file's format says (commas,
// tabs or blanks).
//
// A matrix is recognised by its shape alone, so that an edge list is never taken for one: n rows
// of n fields, or n + 1 rows of which the last n have n + 1 fields, for a network of at least 4
// nodes (an edge list's rows have 2 or 3 fields).
//
// A two-mode network's covariate may also be ergm's N1 x N2 matrix: the rows the first mode's
// nodes, the columns the second's (N1 rows of N2 numbers, or with the labels as above), for a
// second mode of at least 4 nodes.

#include <istream>
#include <optional>
#include <string>

#include "network/dyad_values.h"
#include "network/network_format.h"
#include "network/node_labels.h"

namespace tarn {

// The matrix's values (0 is no value), or nothing when the file has no matrix's shape. Ends the
// run (an input error naming the line and column) for a cell that is no number or a label that
// names no node or a node twice.
// `first_mode`: N1 of a two-mode network, 0 for one mode.
std::optional<DyadValues> read_adjacency_matrix(std::istream& in, const std::string& file_name,
                                                NetworkFormat format, const NodeLabels& labels,
                                                int node_count, int first_mode = 0);

}  // namespace tarn
