#include "simulate/sample_graph.h"

#include <algorithm>
#include <cstdlib>

namespace tarn {

namespace {

void remove_one(std::vector<int>& list, int value) {
  const auto at = std::find(list.begin(), list.end(), value);
  *at = list.back();
  list.pop_back();
}

}  // namespace

SampleGraph::SampleGraph(int node_count)
    : n_(node_count),
      bits_((static_cast<std::size_t>(node_count) * static_cast<std::size_t>(node_count) + 63) / 64,
            0),
      out_(static_cast<std::size_t>(node_count) + 1),
      in_(static_cast<std::size_t>(node_count) + 1),
      mutual_(static_cast<std::size_t>(node_count) + 1, 0) {}

SampleGraph::SampleGraph(const Network& network) : SampleGraph(network.node_count) {
  for (int a = 1; a <= n_; ++a) {
    for (int16 e : network.out_list(a)) toggle(a, std::abs(static_cast<int>(e)));
  }
}

SampleGraph::OutEntry& SampleGraph::out_entry(int a, int b) {
  auto& list = out_[static_cast<std::size_t>(a)];
  return *std::find_if(list.begin(), list.end(), [b](const OutEntry& e) { return e.node == b; });
}

void SampleGraph::toggle(int a, int b) {
  const std::size_t bit = index(a, b);
  const bool present = has_link(a, b);
  bits_[bit >> 6] ^= std::uint64_t{1} << (bit & 63);
  const int change = present ? -1 : 1;
  auto& out = out_[static_cast<std::size_t>(a)];
  auto& in = in_[static_cast<std::size_t>(b)];
  if (present) {
    OutEntry& entry = out_entry(a, b);
    const auto place = static_cast<std::size_t>(entry.link_index);
    entry = out.back();
    out.pop_back();
    remove_one(in, a);
    // The last link of the list takes the freed place.
    const auto moved = all_links_.back();
    all_links_.pop_back();
    if (place < all_links_.size()) {
      all_links_[place] = moved;
      out_entry(moved.first, moved.second).link_index = static_cast<int>(place);
    }
  } else {
    out.push_back({b, static_cast<int>(all_links_.size())});
    in.push_back(a);
    all_links_.emplace_back(a, b);
  }
  if (a == b) {
    mutual_[static_cast<std::size_t>(a)] += 2 * change;
  } else if (has_link(b, a)) {
    mutual_[static_cast<std::size_t>(a)] += change;
    mutual_[static_cast<std::size_t>(b)] += change;
  }
}

std::vector<std::pair<int, int>> SampleGraph::link_list() const {
  std::vector<std::pair<int, int>> links;
  links.reserve(all_links_.size());
  for (int a = 1; a <= n_; ++a) {
    std::vector<int> receivers;
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) receivers.push_back(e.node);
    std::sort(receivers.begin(), receivers.end());
    for (int b : receivers) links.emplace_back(a, b);
  }
  return links;
}

Network SampleGraph::to_network() const {
  const std::vector<std::pair<int, int>> links = link_list();
  NetworkBuilder builder("Simulated network");
  builder.declare_nodes(n_);
  long k = 0;
  for (const auto& [a, b] : links) builder.add_link(a, b, ++k);
  return std::move(builder).finish();
}

}  // namespace tarn
