#include "network/adjacency_matrix_file.h"

#include <string_view>
#include <vector>

#include "network/delimited_text.h"
#include "network/edge_rows.h"
#include "network/fatal_error.h"
#include "numeric/number_text.h"

namespace tarn {

namespace {

struct Record {
  long line = 0;
  std::vector<std::string> fields;
};

// The node a label names, or an input error.
int node_named(const NodeLabels& labels, const std::string& label, const std::string& file_name,
               long line, int column, std::vector<bool>& seen) {
  const int node = labels.node_of(label);
  if (node < 1 || node > static_cast<int>(seen.size())) {
    throw input_error({file_name, line, column}, "\"" + label + "\" names no node of the network.");
  }
  if (seen[std::size_t(node - 1)]) {
    throw input_error({file_name, line, column}, "\"" + label + "\" is given twice.");
  }
  seen[std::size_t(node - 1)] = true;
  return node;
}

// The records' shape as a matrix of `rows` x `columns` values, plain or labelled (a header of
// the column labels, each row beginning with its label).
struct Shape {
  bool plain = false;
  bool labelled = false;
};

Shape shape_of(const std::vector<Record>& records, std::size_t rows, std::size_t columns) {
  Shape shape{records.size() == rows, records.size() == rows + 1};
  for (std::size_t r = 0; r < records.size(); ++r) {
    const std::size_t width = records[r].fields.size();
    const bool header = shape.labelled && r == 0;
    if ((shape.plain && width != columns) || (shape.labelled && !header && width != columns + 1) ||
        (header && width != columns && width != columns + 1) || (!shape.plain && !shape.labelled)) {
      return Shape{};
    }
  }
  return shape;
}

}  // namespace

std::optional<DyadValues> read_adjacency_matrix(std::istream& in, const std::string& file_name,
                                                NetworkFormat format, const NodeLabels& labels,
                                                int node_count, int first_mode) {
  const auto n = static_cast<std::size_t>(node_count);
  if (node_count < 4 || format == NetworkFormat::record || format == NetworkFormat::pajek) {
    return std::nullopt;
  }
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  std::vector<Record> records;
  while (reader.next()) {
    if (records.size() > n) return std::nullopt;
    Record record{reader.line(), {}};
    for (std::string_view field : reader.fields()) record.fields.emplace_back(field);
    records.push_back(std::move(record));
  }
  // Square, or a two-mode network's N1 x N2 (its rows the first mode, its columns the second).
  std::size_t rows = n, columns = n, first_column = 0;
  Shape shape = shape_of(records, n, n);
  const auto second_mode = n - static_cast<std::size_t>(first_mode);
  if (!shape.plain && !shape.labelled && first_mode > 0 && second_mode >= 4) {
    rows = static_cast<std::size_t>(first_mode), columns = second_mode, first_column = rows;
    shape = shape_of(records, rows, columns);
  }
  if (!shape.plain && !shape.labelled) return std::nullopt;
  const bool plain = shape.plain;
  // column_node[c]: the node of the c-th value of a row; row_node[r] likewise.
  std::vector<int> column_node(columns), row_node(rows);
  std::size_t first_value = 0;
  long header_line = 0;
  if (plain) {
    for (std::size_t k = 0; k < rows; ++k) row_node[k] = static_cast<int>(k) + 1;
    for (std::size_t k = 0; k < columns; ++k) {
      column_node[k] = static_cast<int>(first_column + k) + 1;
    }
  } else {
    first_value = 1;
    const Record& header = records.front();
    header_line = header.line;
    const std::size_t skip = header.fields.size() - columns;  // the empty corner of write.csv
    std::vector<bool> seen(n, false), seen_rows(n, false);
    for (std::size_t c = 0; c < columns; ++c) {
      column_node[c] = node_named(labels, header.fields[c + skip], file_name, header.line,
                                  static_cast<int>(c + skip + 1), seen);
    }
    for (std::size_t r = 0; r < rows; ++r) {
      const Record& row = records[r + 1];
      row_node[r] = node_named(labels, row.fields.front(), file_name, row.line, 1, seen_rows);
    }
    records.erase(records.begin());
    // A two-mode matrix's rows are the first mode's nodes, its columns the second's.
    for (std::size_t r = 0; first_column > 0 && r < rows; ++r) {
      if (row_node[r] > first_mode) {
        throw input_error({file_name, records[r].line, 1},
                          "\"" + records[r].fields.front() +
                              "\" is a node of the second mode; the rows of an N1 x N2 matrix "
                              "are the first mode's nodes.");
      }
    }
    for (std::size_t c = 0; first_column > 0 && c < columns; ++c) {
      if (column_node[c] <= first_mode) {
        throw input_error({file_name, header_line, static_cast<int>(c + 1)},
                          "a column names a node of the first mode; the columns of an N1 x N2 "
                          "matrix are the second mode's nodes.");
      }
    }
  }
  std::vector<DyadValues::Entry> entries;
  for (std::size_t r = 0; r < rows; ++r) {
    const Record& row = records[r];
    for (std::size_t c = 0; c < columns; ++c) {
      const std::string& cell = row.fields[c + first_value];
      const std::optional<double> value = decimal_number(cell);
      if (!value) {
        throw input_error({file_name, row.line, static_cast<int>(c + first_value + 1)},
                          "\"" + cell + "\" is no number (a matrix holds a number in every cell).");
      }
      if (*value != 0 && row_node[r] != column_node[c]) {
        entries.push_back({row_node[r], column_node[c], *value});
      }
    }
  }
  return DyadValues(node_count, std::move(entries));
}

}  // namespace tarn
