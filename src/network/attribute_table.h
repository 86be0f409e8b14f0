#pragma once
// Node attributes as a table (csv, tsv or blank): a header line, then one row per node.
//
// - The header is required: the id column, then the names of at most 8 attributes. Every row has
//   as many fields as the header.
// - The first column names the node as the network does (its label, or its number when the
//   nodes are numbered). A row whose id is no node of the network is skipped and counted; an id
//   given twice ends the run.
// - Values are integers or text; an empty cell is no value (0, no category).
// - Category numbers, column by column: when every value is a whole number within 1..32767 the
//   values are the category numbers (so a record-format attribute file written as a table gives
//   the same blocks), and the text of category c is c. Otherwise the distinct values are sorted,
//   as numbers when all are whole numbers, else as text in byte order, and numbered 1..k; the text
//   of a category is its value (a whole number written plainly: "07" and "7.0" are "7").

#include <istream>
#include <string>
#include <vector>

#include "network/network_format.h"
#include "network/node_attributes.h"
#include "network/node_labels.h"

namespace tarn {

struct AttributeTable {
  NodeAttributes attributes;
  std::vector<std::string> names;                    // of the attributes, from the header
  std::vector<std::vector<std::string>> categories;  // [a - 1][c - 1]: the text of category c
  int nodes_without_row = 0;                         // nodes 1..n that no row names
  int rows_not_in_network = 0;                       // rows whose id is no node (skipped)
};

AttributeTable read_attribute_table(std::istream& in, const std::string& file_name,
                                    NetworkFormat format, const NodeLabels& labels, int node_count);

}  // namespace tarn
