#include "kernel/link_store_graph.h"

#include <algorithm>

namespace tarn {

LinkStoreGraph::LinkStoreGraph(const Network& network)
    : net_(network), sorted_(static_cast<std::size_t>(network.node_count)) {
  for (int a = 1; a <= network.node_count; ++a) {
    auto& list = sorted_[static_cast<std::size_t>(a - 1)];
    for (node_id e : network.out_list(a)) list.push_back(e < 0 ? -2 * e + 1 : 2 * e);
    std::sort(list.begin(), list.end());
  }
}

int LinkStoreGraph::links(int a, int b) const {
  const auto& list = sorted_[static_cast<std::size_t>(a - 1)];
  return static_cast<int>(std::lower_bound(list.begin(), list.end(), 2 * b + 2) -
                          std::lower_bound(list.begin(), list.end(), 2 * b));
}

int LinkStoreGraph::reciprocated_links(int a, int b) const {
  const auto& list = sorted_[static_cast<std::size_t>(a - 1)];
  return static_cast<int>(std::lower_bound(list.begin(), list.end(), 2 * b + 2) -
                          std::lower_bound(list.begin(), list.end(), 2 * b + 1));
}

}  // namespace tarn
