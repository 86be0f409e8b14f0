#pragma once
// The names of a network's nodes as its file gives them. A record file, and an edge list whose
// labels are all integers within 1..2000, number the nodes themselves: node i is called i and no
// table is kept. Otherwise node i (numbered in order of first appearance, or as a Pajek file
// numbers its vertices) has the name label(i).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarn {

class NodeLabels {
 public:
  NodeLabels() = default;
  explicit NodeLabels(std::vector<std::string> labels);

  // True when nodes are called by their numbers.
  bool numbered() const { return labels_.empty(); }
  int size() const { return static_cast<int>(labels_.size()); }
  // The name of node i (1..n): its label, or its number.
  std::string name(int node) const;
  // The node a name stands for (its label, or its number when the nodes are numbered), or 0.
  int node_of(std::string_view name) const;

 private:
  std::vector<std::string> labels_;
  std::unordered_map<std::string, int> nodes_;
};

}  // namespace tarn
