#include "network/single_links.h"

#include <cstdlib>
#include <vector>

namespace tarn {

SingleLinks single_links(const Network& read, bool keep_self_links, const std::string& source) {
  SingleLinks result;
  // seen[b] == a: the link a->b is in already.
  std::vector<int> seen(static_cast<std::size_t>(read.node_count) + 1, 0);
  std::vector<std::pair<int, int>> kept;
  kept.reserve(static_cast<std::size_t>(read.link_count));
  for (int a = 1; a <= read.node_count; ++a) {
    for (const int16 entry : read.out_list(a)) {
      const int b = std::abs(static_cast<int>(entry));
      int& last = seen[static_cast<std::size_t>(b)];
      if (last == a) {
        ++result.copies;
        continue;
      }
      last = a;
      if (b == a && !keep_self_links) {
        ++result.self_links;
        continue;
      }
      kept.emplace_back(a, b);
    }
  }
  if (result.copies == 0 && result.self_links == 0) {
    result.network = read;
    return result;
  }
  NetworkBuilder builder(source);
  builder.declare_nodes(read.node_count);
  for (const auto& [a, b] : kept) builder.add_link(a, b);
  result.network = std::move(builder).finish();
  return result;
}

}  // namespace tarn
