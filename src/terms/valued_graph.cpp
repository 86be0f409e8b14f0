#include "terms/valued_graph.h"

#include <algorithm>
#include <stdexcept>

namespace tarn {

ValuedGraph::ValuedGraph(int node_count, bool directed)
    : n_(node_count),
      directed_(directed),
      out_(static_cast<std::size_t>(node_count) + 1),
      in_(directed ? static_cast<std::size_t>(node_count) + 1 : 0) {
  if (node_count < 0) throw std::invalid_argument("a valued graph of negative size");
  if (node_count <= dense_limit) {
    dense_.assign(static_cast<std::size_t>(node_count) * static_cast<std::size_t>(node_count), 0);
  }
}

std::int64_t ValuedGraph::dyad_count() const {
  const auto n = static_cast<std::int64_t>(n_);
  return directed_ ? n * (n - 1) : n * (n - 1) / 2;
}

int ValuedGraph::listed_value(int a, int b) const {
  const auto& list = out_[static_cast<std::size_t>(a)];
  const auto at = std::lower_bound(list.begin(), list.end(), b,
                                   [](const ValuedEntry& e, int node) { return e.node < node; });
  return at != list.end() && at->node == b ? at->value : 0;
}

void ValuedGraph::put(std::vector<ValuedEntry>& list, int node, int value) {
  const auto at = std::lower_bound(list.begin(), list.end(), node,
                                   [](const ValuedEntry& e, int other) { return e.node < other; });
  const bool present = at != list.end() && at->node == node;
  if (value == 0) {
    if (present) list.erase(at);
  } else if (present) {
    at->value = value;
  } else {
    list.insert(at, ValuedEntry{node, value});
  }
}

std::uint64_t ValuedGraph::key(int a, int b) const {
  if (!directed_ && a > b) std::swap(a, b);
  return (static_cast<std::uint64_t>(a) << 32) | static_cast<std::uint32_t>(b);
}

void ValuedGraph::set(int a, int b, int value) {
  if (a == b || value < 0) throw std::invalid_argument("a valued graph's dyad is two nodes");
  const int old = this->value(a, b);
  if (old == value) return;
  sum_ += value - old;
  if (!dense_.empty()) {
    const auto n = static_cast<std::size_t>(n_);
    dense_[static_cast<std::size_t>(a - 1) * n + static_cast<std::size_t>(b - 1)] = value;
    if (!directed_) {
      dense_[static_cast<std::size_t>(b - 1) * n + static_cast<std::size_t>(a - 1)] = value;
    }
  }
  put(out_[static_cast<std::size_t>(a)], b, value);
  if (directed_) {
    put(in_[static_cast<std::size_t>(b)], a, value);
  } else {
    put(out_[static_cast<std::size_t>(b)], a, value);
  }
  const std::uint64_t k = key(a, b);
  if (old == 0) {
    nonzero_index_.emplace(k, nonzero_.size());
    nonzero_.push_back(directed_ || a < b ? std::pair{a, b} : std::pair{b, a});
  } else if (value == 0) {
    // The last dyad of the list takes the place of the one removed.
    const auto found = nonzero_index_.find(k);
    const std::size_t place = found->second;
    nonzero_index_.erase(found);
    if (place + 1 != nonzero_.size()) {
      nonzero_[place] = nonzero_.back();
      nonzero_index_[key(nonzero_[place].first, nonzero_[place].second)] = place;
    }
    nonzero_.pop_back();
  }
}

void ValuedGraph::set_missing(std::vector<std::pair<int, int>> dyads) {
  if (!directed_) {
    for (auto& [a, b] : dyads) {
      if (a > b) std::swap(a, b);
    }
  }
  std::sort(dyads.begin(), dyads.end());
  dyads.erase(std::unique(dyads.begin(), dyads.end()), dyads.end());
  missing_ = dyads.empty()
                 ? nullptr
                 : std::make_shared<const std::vector<std::pair<int, int>>>(std::move(dyads));
}

bool ValuedGraph::is_missing(int a, int b) const {
  if (!missing_) return false;
  if (!directed_ && a > b) std::swap(a, b);
  return std::binary_search(missing_->begin(), missing_->end(), std::pair{a, b});
}

}  // namespace tarn
