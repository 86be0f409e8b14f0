#include "network/undirected_network.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tarn {

UndirectedNetwork undirected_network(const Network& read, const std::string& source) {
  UndirectedNetwork result;
  std::vector<std::pair<int, int>> edges;
  for (int a = 1; a <= read.node_count; ++a) {
    for (const node_id entry : read.out_list(a)) {
      const int b = std::abs(static_cast<int>(entry));
      if (b == a) {
        ++result.self_links;
        continue;
      }
      edges.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  NetworkBuilder builder(source, command_line_limits);
  builder.declare_nodes(read.node_count);
  for (const auto& [a, b] : edges) builder.add_link(a, b);
  result.network = std::move(builder).finish();
  return result;
}

UndirectedValues undirected_values(const DyadValues& read) {
  const int n = read.node_count();
  std::vector<DyadValues::Entry> pairs;
  UndirectedValues result;
  // The rows i,j with i < j give their pairs' values.
  for (int i = 1; i <= n; ++i) {
    const auto receivers = read.receivers(i);
    const auto values = read.values(i);
    for (std::size_t k = 0; k < receivers.size(); ++k) {
      if (receivers[k] > i) pairs.push_back({i, receivers[k], values[k]});
    }
  }
  // The rows j,i with j > i: a value where i,j gave none, a difference where it gave another.
  for (int j = 2; j <= n; ++j) {
    const auto receivers = read.receivers(j);
    const auto values = read.values(j);
    for (std::size_t k = 0; k < receivers.size() && receivers[k] < j; ++k) {
      const int i = receivers[k];
      const double upper = read.at(i, j);
      if (upper == 0.0) {
        pairs.push_back({i, j, values[k]});
      } else if (upper != values[k] && result.differing_pairs++ == 0) {
        result.first = i, result.second = j;
        result.value = upper, result.reverse_value = values[k];
      }
    }
  }
  result.values = DyadValues(n, std::move(pairs));
  return result;
}

}  // namespace tarn
