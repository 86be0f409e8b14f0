#include "simulate/start_networks.h"

#include <algorithm>

namespace tarn {

TermGraph empty_like(const TermGraph& observed) {
  return TermGraph(observed.node_count(), observed.directed(), observed.tables());
}

TermGraph denser_than(const TermGraph& observed, std::int64_t links, RandomStream& random) {
  TermGraph graph = observed;
  const auto n = static_cast<std::uint32_t>(graph.node_count());
  if (n < 2) return graph;
  const std::int64_t dyads =
      graph.directed() ? std::int64_t(n) * (n - 1) : std::int64_t(n) * (n - 1) / 2;
  links = std::min(links, dyads);
  while (graph.link_count() < links) {
    const auto [a, b] = random.two_below(n, n - 1);
    const int i = static_cast<int>(a) + 1;
    int j = static_cast<int>(b) + 1;
    if (j >= i) ++j;
    if (!graph.has_link(i, j)) graph.toggle(i, j);
  }
  return graph;
}

std::int64_t dense_start_links(std::int64_t observed_links, std::int64_t dyads) {
  if (dyads <= 65536) return dyads;
  const std::int64_t halfway = observed_links + (dyads - observed_links) / 2;
  return std::min(dyads, std::max(observed_links + 1, std::min(2 * observed_links, halfway)));
}

}  // namespace tarn
