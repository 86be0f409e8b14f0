#include "network/node_labels.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
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

namespace {

std::size_t label_hash(std::string_view label) {
  return std::hash<std::string_view>{}(label);
}

}  // namespace

NodeLabels::NodeLabels(std::vector<std::string> labels) : labels_(std::move(labels)) {
  for (int node = 1; node <= size(); ++node) index(node);
}

void NodeLabels::index(int node) {
  if (2 * labels_.size() > slots_.size()) {
    slots_.assign(std::max<std::size_t>(16, std::bit_ceil(4 * labels_.size())), 0);
    for (int earlier = 1; earlier < node; ++earlier) index(earlier);  // the first stays first
  }
  const std::string_view label = labels_[static_cast<std::size_t>(node - 1)];
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = label_hash(label) & mask;; slot = (slot + 1) & mask) {
    const int there = slots_[slot];
    if (there == 0) {
      slots_[slot] = node;
      return;
    }
    if (labels_[static_cast<std::size_t>(there - 1)] == label) return;  // the first of equals
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
  if (slots_.empty()) return 0;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = label_hash(label) & mask;; slot = (slot + 1) & mask) {
    const int there = slots_[slot];
    if (there == 0) return 0;
    if (labels_[static_cast<std::size_t>(there - 1)] == label) return there;
  }
}

int NodeLabels::add(std::string_view label) {
  labels_.emplace_back(label);
  const int node = size();
  index(node);
  return node;
}

}  // namespace tarn
