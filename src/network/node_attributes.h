#pragma once
// Up to eight categorical attributes per node, as an attribute file gives them.

#include <array>
#include <cstdint>
#include <vector>

#include "network/capacity.h"

namespace tarn {

struct NodeAttributes {
  // value[a - 1][i - 1]: attribute a of node i (1..2000, or 1..n for a larger network of the
  // command line); 0 for a node without a record.
  std::array<std::vector<std::int16_t>, max_attrs> value;
  // largest[a - 1]: the largest value of attribute a over all records, at least 0.
  std::array<int, max_attrs> largest{};
  // The leading attributes 1, 2, ... whose largest value is positive.
  int usable_count = 0;

  NodeAttributes() {
    for (auto& column : value) column.assign(max_nodes, 0);
  }
  // Makes room for nodes 1..n (never fewer than the dialogue's 2000).
  void hold(int n) {
    for (auto& column : value) {
      if (column.size() < static_cast<std::size_t>(n))
        column.resize(static_cast<std::size_t>(n), 0);
    }
  }
  // Stores attribute a of node i (holding node i) and keeps its largest value.
  void set(int node, int attribute, std::int16_t v) {
    hold(node);
    auto& top = largest[static_cast<std::size_t>(attribute - 1)];
    if (v > top) top = v;
    value[static_cast<std::size_t>(attribute - 1)][static_cast<std::size_t>(node - 1)] = v;
  }
  // Sets usable_count from the largest values.
  void count_usable() {
    usable_count = 0;
    while (usable_count < max_attrs && largest[static_cast<std::size_t>(usable_count)] > 0) {
      ++usable_count;
    }
  }
  int of(int node, int attribute) const {
    return value[static_cast<std::size_t>(attribute - 1)][static_cast<std::size_t>(node - 1)];
  }
};

}  // namespace tarn
