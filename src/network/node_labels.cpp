#include "network/node_labels.h"

#include <cstdint>
#include <string>

#include "network/capacity.h"

namespace tarn {

int node_number(std::string_view label, int limit) {
  const std::size_t digits = std::to_string(limit).size();
  if (label.empty() || label.size() > digits || label[0] < '1' || label[0] > '9') return 0;
  std::int64_t number = 0;
  for (const char c : label) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number <= limit ? static_cast<int>(number) : 0;
}

NodeLabels::NodeLabels(std::vector<std::string> labels) : labels_(std::move(labels)) {
  for (std::size_t k = 0; k < labels_.size(); ++k) {
    nodes_.emplace(labels_[k], static_cast<int>(k) + 1);  // the first of equal labels
  }
}

std::string NodeLabels::name(int node) const {
  if (numbered() || node < 1 || node > size()) return std::to_string(node);
  return labels_[static_cast<std::size_t>(node - 1)];
}

int NodeLabels::node_of(std::string_view name) const {
  return numbered() ? node_number(name, number_limit_) : labelled(name);
}

int NodeLabels::labelled(std::string_view label) const {
  const auto found = nodes_.find(label);
  return found == nodes_.end() ? 0 : found->second;
}

int NodeLabels::add(std::string_view label) {
  labels_.emplace_back(label);
  const int node = size();
  nodes_.emplace(labels_.back(), node);
  return node;
}

}  // namespace tarn
