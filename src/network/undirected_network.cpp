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
    for (const int16 entry : read.out_list(a)) {
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
  NetworkBuilder builder(source);
  builder.declare_nodes(read.node_count);
  for (const auto& [a, b] : edges) builder.add_link(a, b);
  result.network = std::move(builder).finish();
  return result;
}

UndirectedValues undirected_values(const ComparativeNetwork& read) {
  const int n = read.node_count;
  // Row i of the result: the values of the pairs {i, j}, j > i, receivers ascending.
  std::vector<std::vector<ComparativeValue>> rows(static_cast<std::size_t>(n) + 1);
  std::vector<std::int16_t> column(static_cast<std::size_t>(n), 0);
  UndirectedValues result;
  for (int i = 1; i <= n; ++i) {
    read.fill_column(i, column.data());
    for (int j = i + 1; j <= n; ++j) {
      if (column[static_cast<std::size_t>(j - 1)] != 0) {
        rows[static_cast<std::size_t>(i)].push_back(
            {static_cast<std::int16_t>(j), column[static_cast<std::size_t>(j - 1)]});
      }
    }
  }
  // The rows j,i with j > i: a value where i,j gave none, a difference where it gave another.
  for (int j = 2; j <= n; ++j) {
    for (const ComparativeValue& v : read.row(j)) {
      const int i = v.receiver;
      if (i >= j) continue;
      auto& row = rows[static_cast<std::size_t>(i)];
      const auto at = std::lower_bound(
          row.begin(), row.end(), j,
          [](const ComparativeValue& e, int receiver) { return e.receiver < receiver; });
      if (at == row.end() || at->receiver != j) {
        row.insert(at, {static_cast<std::int16_t>(j), v.value});
      } else if (at->value != v.value && result.differing_pairs++ == 0) {
        result.first = i, result.second = j;
        result.value = at->value, result.reverse_value = v.value;
      }
    }
  }
  result.values.node_count = n;
  result.values.first.assign(1, 0);
  for (int i = 1; i <= n; ++i) {
    for (const ComparativeValue& v : rows[static_cast<std::size_t>(i)]) {
      result.values.entries.push_back(v);
    }
    result.values.first.push_back(static_cast<std::int32_t>(result.values.entries.size()));
  }
  return result;
}

}  // namespace tarn
