#pragma once
// Node attributes as a table (csv, tsv or blank): a header line, then one row per node.
//
// - The header is required: the id column, then the names of at most 8 attributes. Every row has
//   as many fields as the header.
// - The first column names the node as the network does (its label, or its number written as
//   node_number reads it when the nodes are numbered). With ids_declare_nodes a row whose id is
//   no node of the network declares one: a new label becomes node n + 1, n + 2, ... (in row
//   order), a node number above n raises n to it. Without it, or for an id that cannot be a node
//   (a name among numbered nodes), the row is skipped and counted. An id given twice ends the
//   run.
// - Ids: a row names the node whose label (or number) it is; an id written as a number with an
//   integer value names that integer's node ("1.0" is 1, as pandas writes integer ids of a column
//   with a missing value). With ids_declare_nodes, a table of which fewer than half the ids name
//   a node of the network (n > 0) ends the run, showing two ids of each kind.
// - Values are integers or text. A missing value (an empty cell, or NA as R writes one; NaN, nan
//   as Python does) is none: in the covariates the terms read it is empty, and for the blocks
//   the node is in no category (0); so is a 0 ("0", "0.0", ...), as a 0 in a record-format
//   attribute file puts it in none (the covariates keep 0 as a value).
// - Category numbers, column by column, from the values other than those: when every one is a
//   whole number within 1..32767 the values are the category numbers (so a record-format
//   attribute file written as a table gives the same blocks). Otherwise the distinct values are
//   sorted, as numbers when all are whole numbers ("07" and "7.0" are 7), else as text in byte
//   order, and numbered 1..k.

#include <istream>
#include <string>
#include <vector>

#include "network/network_format.h"
#include "network/node_attributes.h"
#include "network/node_covariates.h"
#include "network/node_labels.h"

namespace tarn {

struct AttributeTable {
  NodeAttributes attributes;
  // The values as written (0 included: for the attribute terms it is a value like any other);
  // an empty cell and a node without a row have none.
  NodeCovariates covariates;
  std::vector<std::string> names;  // of the attributes, from the header
  int nodes_without_row = 0;       // nodes 1..n that no row names
  int rows_not_in_network = 0;     // rows whose id is no node (skipped)
  // With ids_declare_nodes: n after the rows, the labels of the new nodes (labelled networks),
  // and the new nodes that a row names.
  int node_count = 0;
  std::vector<std::string> new_labels;
  int declared_nodes = 0;
  std::vector<bool> node_has_row;  // node i at i - 1, for nodes 1..node_count
};

// A cell that holds no value: empty, NA (R), NaN or nan (Python).
bool is_missing_value(std::string_view text);

// `first_mode` > 0: a network of two modes with labels of their own (nodes 1..first_mode the
// first), whose labels may name a node of each: a column `mode` (1 or 2; no attribute) says which
// node a row names, and a row for a label of both modes without it ends the run. Its rows declare
// no nodes (a row naming none is skipped and counted).
AttributeTable read_attribute_table(std::istream& in, const std::string& file_name,
                                    NetworkFormat format, const NodeLabels& labels, int node_count,
                                    bool ids_declare_nodes = false, int node_limit = max_nodes,
                                    int first_mode = 0);

}  // namespace tarn
