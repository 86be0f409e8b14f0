#include "network/attribute_table.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <unordered_map>

#include "network/capacity.h"
#include "network/delimited_text.h"
#include "network/edge_rows.h"
#include "network/fatal_error.h"
#include "network/node_labels.h"

namespace tarn {

namespace {

constexpr int largest_kept_value = 32767;

struct Cell {
  int node = 0;
  std::string text;
};

// A value that puts the node in no category: a missing value, or 0 as in a record-format
// attribute file.
bool is_no_value(std::string_view text) {
  return is_missing_value(text) || whole_number(text) == 0;
}

// The node a row's id names: its label, or a number's integer value ("1.0" is 1, as pandas
// writes integer ids of a column with a missing value); 0 when it names none.
int node_of_id(const NodeLabels& labels, std::string_view id) {
  if (const int node = labels.node_of(id)) return node;
  if (const auto number = whole_number(id)) return labels.node_of(std::to_string(*number));
  return 0;
}

// An id as the table means it: a number written otherwise ("1.0", "+1") as its integer.
std::string canonical_id(std::string_view id) {
  const auto number = whole_number(id);
  return number ? std::to_string(*number) : std::string(id);
}

// With ids that declare nodes, a table whose ids mostly name no node of the links is another
// network's table, or names the nodes otherwise (a pandas index written as its first column,
// labels where the links have numbers): refused, with two ids of each kind, rather than read as
// a network of new isolated nodes.
template <class IdAt>
void check_ids_name_nodes(std::size_t rows, IdAt id_at, const NodeLabels& labels, int node_count,
                          const std::string& file_name) {
  std::size_t named = 0;
  std::vector<std::string> strangers;
  for (std::size_t k = 0; k < rows; ++k) {
    const int node = node_of_id(labels, id_at(k));
    if (node >= 1 && node <= node_count) {
      ++named;
    } else if (strangers.size() < 2) {
      strangers.push_back(shown(id_at(k)));
    }
  }
  if (2 * named >= rows) return;
  std::string nodes = shown(labels.name(1));
  if (node_count >= 2) nodes += " and " + shown(labels.name(2));
  throw FatalError("Attribute file \"" + file_name + "\": only " + std::to_string(named) +
                       " of its " + std::to_string(rows) +
                       " ids name a node of the network (its ids are such as " + strangers[0] +
                       (strangers.size() > 1 ? " and " + strangers[1] : std::string()) +
                       ", the network's nodes such as " + nodes +
                       "). Its first column must name the nodes as the network file does; a pandas "
                       "index written as the first column (to_csv without index=False) names none.",
                   {file_name});
}

// Numbers the keys of `category_of` 1, 2, ... in their order; returns how many there are.
template <typename Key>
int number_in_order(std::map<Key, int>& category_of) {
  int count = 0;
  for (auto& entry : category_of) entry.second = ++count;
  return count;
}

// Numbers the values of one column (see the header) into `value`; returns the largest category.
int number_categories(const std::vector<Cell>& cells, std::vector<std::int16_t>& value) {
  bool all_whole = true;
  bool all_kept = true;
  for (const Cell& cell : cells) {
    const auto number = whole_number(cell.text);
    all_whole = all_whole && number.has_value();
    all_kept = all_kept && number && *number >= 1 && *number <= largest_kept_value;
  }
  const auto set = [&](int node, int category) {
    value[static_cast<std::size_t>(node - 1)] = static_cast<std::int16_t>(category);
  };
  if (all_kept) {
    int largest = 0;
    for (const Cell& cell : cells) {
      const auto number = static_cast<int>(*whole_number(cell.text));
      set(cell.node, number);
      largest = std::max(largest, number);
    }
    return largest;
  }
  if (all_whole) {
    std::map<std::int64_t, int> category_of;
    for (const Cell& cell : cells) category_of.emplace(*whole_number(cell.text), 0);
    const int count = number_in_order(category_of);
    for (const Cell& cell : cells) set(cell.node, category_of[*whole_number(cell.text)]);
    return count;
  }
  std::map<std::string, int> category_of;
  for (const Cell& cell : cells) category_of.emplace(cell.text, 0);
  const int count = number_in_order(category_of);
  for (const Cell& cell : cells) set(cell.node, category_of[cell.text]);
  return count;
}

// The node a row's id declares (ids_declare_nodes): a node number beyond n raises n to it; a new
// label becomes the next node; a name among numbered nodes declares none (0). `node_count` grows.
int declared_node(std::string_view id, const NodeLabels& labels, int& node_count,
                  AttributeTable& table, std::unordered_map<std::string, int>& new_node_of,
                  int node_limit) {
  if (labels.numbered()) {
    const int number = node_number(id, node_limit);
    node_count = std::max(node_count, number);
    return number;
  }
  const int node = ++node_count;
  table.new_labels.emplace_back(id);
  new_node_of.emplace(std::string(id), node);
  return node;
}

// A row of the table as read, so that the ids of all rows can be judged together before any
// declares a node.
struct TableRow {
  long line;
  std::vector<std::string> fields;
  // A two-mode network's row, its mode already settled: the node (0: none) and the mode as
  // written (empty: not given). -1: the id alone names the node.
  int node = -1;
  std::string mode;
};

// The table's header: the attribute names, each with an empty column of covariates.
// `two_modes`: a column mode is no attribute (settle_modes).
AttributeTable table_of_header(DelimitedReader& reader, const std::string& file_name,
                               int node_count, bool two_modes) {
  if (!reader.next()) {
    throw input_error({file_name, std::max(reader.lines_read(), 1L)},
                      "the file is empty; an attribute table begins with a header line: the "
                      "node id column, then the names of the attributes.");
  }
  const auto fields = reader.fields();
  const bool mode_column =
      two_modes && std::find(fields.begin() + 1, fields.end(), "mode") != fields.end();
  const int attribute_count = static_cast<int>(fields.size()) - (mode_column ? 2 : 1);
  if (attribute_count > max_attrs) {
    throw input_error(reader.position(max_attrs + 2),
                      "the header names " + std::to_string(attribute_count) +
                          " attributes; at most " + std::to_string(max_attrs) + ".");
  }
  AttributeTable table;
  table.names.assign(reader.fields().begin() + 1, reader.fields().end());
  table.covariates.node_count = node_count;
  table.covariates.source = file_name;
  for (const std::string& name : table.names) {
    table.covariates.columns.push_back(
        {name, std::vector<std::string>(static_cast<std::size_t>(std::max(node_count, 0)))});
  }
  return table;
}

std::vector<TableRow> read_rows(DelimitedReader& reader, std::size_t width, long header_line) {
  std::vector<TableRow> rows;
  while (reader.next()) {
    check_row_width(reader, width, header_line, "header");
    const auto fields = reader.fields();
    if (fields[0].empty()) {
      throw input_error(reader.position(1), "the id is empty.");
    }
    rows.push_back({reader.line(), std::vector<std::string>(fields.begin(), fields.end()), -1, {}});
  }
  return rows;
}

// The rows placed one by one at their nodes, declaring nodes where the ids do.
class RowPlacement {
 public:
  RowPlacement(const std::string& file_name, const NodeLabels& labels, int node_count,
               bool ids_declare_nodes, int node_limit, AttributeTable& table)
      : file_name_(file_name),
        labels_(labels),
        ids_declare_nodes_(ids_declare_nodes),
        node_limit_(node_limit),
        node_count_(node_count),
        table_(table),
        line_of_node_(static_cast<std::size_t>(std::max(node_count, 0)) + 1, 0),
        columns_(table.names.size()) {}

  void add_row(const TableRow& row) {
    const std::string_view written = row.fields[0];
    const std::string id =
        row.node < 0 ? canonical_id(written) : canonical_id(written) + '\n' + row.mode;
    const int node = node_of_row(row, written, id);
    const bool in_network = node >= 1 && node <= node_count_;
    long& seen = in_network ? line_of_node_[static_cast<std::size_t>(node)] : line_of_other_[id];
    if (seen != 0) {
      throw input_error({file_name_, row.line, 1},
                        "the id " + shown(written) + " is given twice, on lines " +
                            std::to_string(seen) + " and " + std::to_string(row.line) + ".");
    }
    seen = row.line;
    if (!in_network) {
      ++table_.rows_not_in_network;
      return;
    }
    store_cells(row, node);
  }

  // The categories and the counts of nodes with and without rows, once every row is placed.
  void finish(int network_nodes) {
    NodeAttributes& attributes = table_.attributes;
    attributes.hold(node_count_);
    for (std::size_t a = 0; a < columns_.size(); ++a) {
      attributes.largest[a] = number_categories(columns_[a], attributes.value[a]);
    }
    attributes.count_usable();
    table_.node_has_row.assign(static_cast<std::size_t>(std::max(node_count_, 0)), false);
    for (int node = 1; node <= node_count_; ++node) {
      const bool has_row = line_of_node_[static_cast<std::size_t>(node)] != 0;
      table_.node_has_row[static_cast<std::size_t>(node - 1)] = has_row;
      if (!has_row) ++table_.nodes_without_row;
    }
    table_.node_count = node_count_;
    table_.covariates.node_count = node_count_;
    for (AttributeColumn& column : table_.covariates.columns) {
      column.value.resize(static_cast<std::size_t>(std::max(node_count_, 0)));
    }
    for (int node = network_nodes + 1; node <= node_count_; ++node) {
      if (line_of_node_[static_cast<std::size_t>(node)] != 0) ++table_.declared_nodes;
    }
  }

 private:
  int node_of_row(const TableRow& row, std::string_view written, const std::string& id) {
    if (row.node >= 0) return row.node;
    int node = node_of_id(labels_, written);
    if (const auto found = new_node_of_.find(id); found != new_node_of_.end()) {
      node = found->second;
    }
    if (!ids_declare_nodes_ || (node >= 1 && node <= node_count_)) return node;
    node = declared_node(id, labels_, node_count_, table_, new_node_of_, node_limit_);
    if (node > node_limit_) {
      throw capacity_passed(
          {file_name_, row.line, 1},
          "Too many nodes! " + shown(written) + " would be node " + std::to_string(node) + ".");
    }
    if (static_cast<std::size_t>(node) >= line_of_node_.size()) {
      line_of_node_.resize(
          std::max(static_cast<std::size_t>(node) + 1, line_of_node_.size() * 3 / 2), 0);
    }
    return node;
  }

  void store_cells(const TableRow& row, int node) {
    for (std::size_t a = 0; a < columns_.size(); ++a) {
      const std::string_view cell = row.fields[a + 1];
      const std::string_view text = is_missing_value(cell) ? std::string_view() : cell;
      std::vector<std::string>& values = table_.covariates.columns[a].value;
      if (values.size() < static_cast<std::size_t>(node))
        values.resize(static_cast<std::size_t>(node));
      values[static_cast<std::size_t>(node - 1)] = std::string(text);
      if (!is_no_value(text)) columns_[a].push_back({node, std::string(text)});
    }
  }

  const std::string& file_name_;
  const NodeLabels& labels_;
  bool ids_declare_nodes_;
  int node_limit_;
  int node_count_;  // grows with the nodes the rows declare
  AttributeTable& table_;
  std::vector<long> line_of_node_;
  std::unordered_map<std::string, int> new_node_of_;  // labels of new nodes
  std::unordered_map<std::string, long> line_of_other_;
  std::vector<std::vector<Cell>> columns_;  // the cells with a value, by attribute
};

// The labels of one mode of a two-mode network, and where its nodes begin.
struct ModeLabels {
  NodeLabels labels;
  int offset = 0;
  int node_of(std::string_view id) const {
    const int node = node_of_id(labels, id);
    return node > 0 ? node + offset : 0;
  }
};

std::vector<std::string> labels_of(const NodeLabels& labels, int from, int to) {
  std::vector<std::string> names;
  for (int node = from; node <= to; ++node) names.push_back(labels.name(node));
  return names;
}

// A two-mode network's table: the column `mode` (1: the first mode, 2: the second), which is no
// attribute, says which node a label of both modes names; each row's node is settled here.
void settle_modes(std::vector<TableRow>& rows, AttributeTable& table, const NodeLabels& labels,
                  int node_count, int first_mode, const std::string& file_name) {
  const ModeLabels modes[2] = {
      {NodeLabels(labels_of(labels, 1, first_mode)), 0},
      {NodeLabels(labels_of(labels, first_mode + 1, node_count)), first_mode}};
  const auto named = std::find(table.names.begin(), table.names.end(), "mode");
  const std::ptrdiff_t mode_at = named - table.names.begin();  // among the attributes
  const bool has_mode = named != table.names.end();
  if (has_mode) {
    table.names.erase(named);
    table.covariates.columns.erase(table.covariates.columns.begin() + mode_at);
  }
  for (TableRow& row : rows) {
    if (has_mode) {
      const auto field = row.fields.begin() + mode_at + 1;
      row.mode = is_missing_value(*field) ? std::string() : *field;
      row.fields.erase(field);
    }
    const std::string_view id = row.fields[0];
    const int in_first = modes[0].node_of(id), in_second = modes[1].node_of(id);
    if (!row.mode.empty()) {
      const auto mode = whole_number(row.mode);
      if (!mode || (*mode != 1 && *mode != 2)) {
        throw input_error(
            {file_name, row.line, static_cast<int>(mode_at) + 2},
            "the mode " + shown(row.mode) + " is neither 1 (the first mode) nor 2 (the second).");
      }
      row.node = *mode == 1 ? in_first : in_second;
      continue;
    }
    if (in_first > 0 && in_second > 0) {
      throw input_error({file_name, row.line, 1},
                        "the label " + shown(id) + " names a node of each mode; " +
                            (has_mode ? "give its mode" : "add a column mode") +
                            " (1: the first mode, 2: the second).");
    }
    row.node = in_first > 0 ? in_first : in_second;
  }
}

}  // namespace

bool is_missing_value(std::string_view text) {
  return text.empty() || text == "NA" || text == "NaN" || text == "nan";
}

AttributeTable read_attribute_table(std::istream& in, const std::string& file_name,
                                    NetworkFormat format, const NodeLabels& labels, int node_count,
                                    bool ids_declare_nodes, int node_limit, int first_mode) {
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  AttributeTable table = table_of_header(reader, file_name, node_count, first_mode > 0);
  const long header_line = reader.line();
  std::vector<TableRow> rows = read_rows(reader, table.names.size() + 1, header_line);
  if (first_mode > 0) {
    settle_modes(rows, table, labels, node_count, first_mode, file_name);
    ids_declare_nodes = false;
  }
  const int network_nodes = std::max(node_count, 0);
  if (ids_declare_nodes && network_nodes > 0) {
    check_ids_name_nodes(
        rows.size(), [&](std::size_t k) -> std::string_view { return rows[k].fields[0]; }, labels,
        network_nodes, file_name);
  }
  RowPlacement placement(file_name, labels, node_count, ids_declare_nodes, node_limit, table);
  for (const TableRow& row : rows) placement.add_row(row);
  placement.finish(network_nodes);
  return table;
}

}  // namespace tarn
