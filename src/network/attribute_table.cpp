#include "network/attribute_table.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <unordered_map>

#include "network/capacity.h"
#include "network/delimited_text.h"
#include "network/edge_list_file.h"
#include "network/fatal_error.h"

namespace tarn {

namespace {

constexpr int largest_kept_value = 32767;

struct Cell {
  int node = 0;
  std::string text;
};

// A value that puts the node in no category: an empty cell, or 0 as in a record-format
// attribute file.
bool is_no_value(std::string_view text) {
  return text.empty() || whole_number(text) == 0;
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

}  // namespace

AttributeTable read_attribute_table(std::istream& in, const std::string& file_name,
                                    NetworkFormat format, const NodeLabels& labels,
                                    int node_count) {
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  if (!reader.next()) {
    throw FatalError("Input error in " + place(file_name, std::max(reader.lines_read(), 1L)) +
                     ": the file is empty; an attribute table begins with a header line: the "
                     "node id column, then the names of the attributes.");
  }
  AttributeTable table;
  const std::size_t width = reader.fields().size();
  const long header_line = reader.line();
  const int attribute_count = static_cast<int>(width) - 1;
  if (attribute_count > max_attrs) {
    throw FatalError("Input error in " + reader.where(max_attrs + 2) + ": the header names " +
                     std::to_string(attribute_count) + " attributes; at most " +
                     std::to_string(max_attrs) + ".");
  }
  table.names.assign(reader.fields().begin() + 1, reader.fields().end());
  table.covariates.node_count = node_count;
  table.covariates.source = file_name;
  for (const std::string& name : table.names) {
    table.covariates.columns.push_back(
        {name, std::vector<std::string>(static_cast<std::size_t>(std::max(node_count, 0)))});
  }

  std::vector<std::vector<Cell>> columns(static_cast<std::size_t>(attribute_count));
  std::vector<long> line_of_node(static_cast<std::size_t>(std::max(node_count, 0)) + 1, 0);
  std::unordered_map<std::string, long> line_of_other;
  while (reader.next()) {
    check_row_width(reader, width, header_line, "header");
    const auto fields = reader.fields();
    if (fields[0].empty()) {
      throw FatalError("Input error in " + reader.where(1) + ": the id is empty.");
    }
    const int node = labels.node_of(fields[0]);
    const bool in_network = node >= 1 && node <= node_count;
    long& seen = in_network ? line_of_node[static_cast<std::size_t>(node)]
                            : line_of_other[std::string(fields[0])];
    if (seen != 0) {
      throw FatalError("Input error in " + reader.where(1) + ": the id " + shown(fields[0]) +
                       " is given twice, on lines " + std::to_string(seen) + " and " +
                       std::to_string(reader.line()) + ".");
    }
    seen = reader.line();
    if (!in_network) {
      ++table.rows_not_in_network;
      continue;
    }
    for (int a = 0; a < attribute_count; ++a) {
      const std::string_view text = fields[static_cast<std::size_t>(a) + 1];
      table.covariates.columns[static_cast<std::size_t>(a)]
          .value[static_cast<std::size_t>(node - 1)] = std::string(text);
      if (!is_no_value(text))
        columns[static_cast<std::size_t>(a)].push_back({node, std::string(text)});
    }
  }

  NodeAttributes& attributes = table.attributes;
  for (std::size_t a = 0; a < columns.size(); ++a) {
    attributes.largest[a] = number_categories(columns[a], attributes.value[a]);
  }
  while (attributes.usable_count < max_attrs &&
         attributes.largest[static_cast<std::size_t>(attributes.usable_count)] > 0) {
    ++attributes.usable_count;
  }
  for (int node = 1; node <= node_count; ++node) {
    if (line_of_node[static_cast<std::size_t>(node)] == 0) ++table.nodes_without_row;
  }
  return table;
}

}  // namespace tarn
