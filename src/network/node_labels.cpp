#include "network/node_labels.h"

#include <charconv>

#include "network/capacity.h"

namespace tarn {

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
  if (!numbered()) {
    const auto found = nodes_.find(std::string(name));
    return found == nodes_.end() ? 0 : found->second;
  }
  int node = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), node);
  if (error != std::errc() || end != name.data() + name.size()) return 0;
  return node >= 1 && node <= max_nodes ? node : 0;
}

}  // namespace tarn
