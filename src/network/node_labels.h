#pragma once
// The names of a network's nodes as its file gives them. A record file, and an edge list whose
// labels are all node numbers (node_number), number the nodes themselves: node i is called i and
// no table is kept. Otherwise node i (numbered in order of first appearance, or as a Pajek file
// numbers its vertices) has the name label(i).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "network/capacity.h"

namespace tarn {

// The node a label numbers: a plain whole number within 1..limit (digits, no leading zero; the
// dialogue's capacity of 2000 unless a reader of the command line gives its own), so that "07",
// "+7" and "7.0" are names, not numbers. 0 for any other label.
int node_number(std::string_view label, int limit = max_nodes);

class NodeLabels {
 public:
  NodeLabels() = default;
  explicit NodeLabels(std::vector<std::string> labels);
  // Nodes called by their numbers, 1..limit (node_number).
  static NodeLabels numbered_up_to(int limit) {
    NodeLabels labels;
    labels.number_limit_ = limit;
    return labels;
  }

  // True when nodes are called by their numbers.
  bool numbered() const { return labels_.empty(); }
  int size() const { return static_cast<int>(labels_.size()); }
  // The name of node i (1..n): its label, or its number.
  std::string name(int node) const;
  // The node a name stands for (its label, or its node_number when the nodes are numbered), or 0.
  int node_of(std::string_view name) const;
  // The node labelled `label` (the first of equal labels), or 0; a number is not read as one.
  int labelled(std::string_view label) const;
  // Adds node size() + 1 with the name `label` and returns it; the nodes are no longer numbered.
  int add(std::string_view label);

 private:
  int number_limit_ = max_nodes;  // the largest node number a name stands for
  std::vector<std::string> labels_;
  // An open-addressing index of the labels: slot h holds a node whose label hashes to h or
  // before it (0: empty), a power of two at most half full. A node-based map's two cache misses
  // per lookup were a quarter of reading a 10^6-link edge list.
  std::vector<int> slots_;
  void index(int node);
};

}  // namespace tarn
