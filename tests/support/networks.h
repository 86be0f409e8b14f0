#pragma once
// Small networks for tests, each built in a line.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "network/comparative_network.h"
#include "network/network.h"
#include "support/link_list.h"

namespace tarn::test {

inline Network network_of(const LinkList& links) {
  return build_network(std::span<const std::pair<int, int>>(links.data(), links.size()));
}

// The links of a store in its order: by sender, file order within a sender.
inline LinkList links_of(const Network& net) {
  LinkList links;
  for (int i = 1; i <= net.node_count; ++i) {
    for (const std::int16_t j : net.out_list(i)) links.emplace_back(i, std::abs(j));
  }
  return links;
}

// A network whose fit of types 6 and 12 runs both estimates to the bound, so that the final
// weighted matrix cannot be inverted.
inline const LinkList final_inversion_fails = {
    {1, 7},  {1, 5}, {2, 4}, {2, 7}, {2, 10}, {2, 9},  {3, 9}, {3, 7}, {4, 6},
    {4, 7},  {4, 8}, {4, 9}, {4, 2}, {5, 1},  {5, 10}, {5, 9}, {5, 6}, {6, 5},
    {6, 10}, {6, 4}, {7, 3}, {7, 9}, {7, 2},  {7, 1},  {7, 4}, {8, 4}, {9, 3},
    {9, 4},  {9, 7}, {9, 2}, {9, 5}, {10, 5}, {10, 6}, {10, 2}};

// The comparative network as n dense rows of values, row i as fill_column(i) gives it.
inline std::vector<std::vector<int>> dense_rows(const ComparativeNetwork& net) {
  std::vector<std::vector<int>> rows;
  std::vector<std::int16_t> column(static_cast<std::size_t>(net.node_count));
  for (int i = 1; i <= net.node_count; ++i) {
    net.fill_column(i, column.data());
    rows.emplace_back(column.begin(), column.end());
  }
  return rows;
}

// A comparative network of the given (sender, receiver, value) records, senders ascending.
inline ComparativeNetwork comparative_of(int n, const std::vector<std::array<int, 3>>& records) {
  ComparativeNetwork net;
  net.node_count = n;
  std::size_t k = 0;
  for (int i = 1; i <= n; ++i) {
    for (; k < records.size() && records[k][0] == i; ++k) {
      net.entries.push_back(
          {static_cast<std::int16_t>(records[k][1]), static_cast<std::int16_t>(records[k][2])});
    }
    net.first.push_back(static_cast<std::int32_t>(net.entries.size()));
  }
  return net;
}

}  // namespace tarn::test
