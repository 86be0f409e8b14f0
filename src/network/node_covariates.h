#pragma once
// Node attributes as the attribute terms read them: named columns of values as the file writes
// them (text, or numbers), for nodes 1..n. A node without a value has an empty one.

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct AttributeColumn {
  std::string name;
  std::vector<std::string> value;  // node i at i - 1; empty: no value
};

struct NodeCovariates {
  int node_count = 0;
  std::vector<AttributeColumn> columns;
  std::string source;  // the file, for messages

  const AttributeColumn* find(std::string_view name) const {
    for (const AttributeColumn& column : columns) {
      if (column.name == name) return &column;
    }
    return nullptr;
  }
};

}  // namespace tarn
