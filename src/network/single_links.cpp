#include "network/single_links.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace tarn {

namespace {

// Calls keep(a, b) for every link a->b of `read` that is no copy of one before it and, unless
// self-links are kept, no self-link; counts the others into `result`.
template <class Keep>
void walk_links(const Network& read, bool keep_self_links, SingleLinks& result, Keep keep) {
  // seen[b] == a: the link a->b was met already.
  std::vector<int> seen(static_cast<std::size_t>(read.node_count) + 1, 0);
  for (int a = 1; a <= read.node_count; ++a) {
    for (const node_id entry : read.out_list(a)) {
      const int b = std::abs(static_cast<int>(entry));
      int& last = seen[static_cast<std::size_t>(b)];
      if (last == a) {
        ++result.copies;
      } else if (b == a && !keep_self_links) {
        last = a;
        ++result.self_links;
      } else {
        last = a;
        keep(a, b);
      }
    }
  }
}

}  // namespace

SingleLinks single_links(Network read, bool keep_self_links, const std::string& source) {
  SingleLinks result;
  walk_links(read, keep_self_links, result, [](int, int) {});
  if (result.copies == 0 && result.self_links == 0) {
    result.network = std::move(read);
    return result;
  }
  SingleLinks again;
  NetworkBuilder builder(source, command_line_limits);
  builder.declare_nodes(read.node_count);
  walk_links(read, keep_self_links, again, [&builder](int a, int b) { builder.add_link(a, b); });
  result.network = std::move(builder).finish();
  return result;
}

}  // namespace tarn
