#include "network/network_shape.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tarn {

namespace {

constexpr std::int64_t min_links_for_two_mode = 10;
// Links needed before a network without a reciprocated link looks undirected: a few links may
// be one-way by chance.
constexpr std::int64_t min_links_unreciprocated = 20;

}  // namespace

std::vector<Warning> network_shape_warnings(const Network& net, const std::string& file) {
  std::int64_t links = 0, reciprocated = 0, senders = 0, receivers = 0, both = 0;
  for (int a = 1; a <= net.node_count; ++a) {
    bool sends = false, receives = false;
    for (const node_id entry : net.out_list(a)) {
      if (std::abs(entry) == a) continue;  // a self-link is its own reverse
      ++links;
      reciprocated += entry < 0 ? 1 : 0;
      sends = true;
    }
    for (const node_id sender : net.in_list(a)) receives = receives || sender != a;
    senders += sends ? 1 : 0;
    receivers += receives ? 1 : 0;
    both += sends && receives ? 1 : 0;
  }
  std::vector<Warning> warnings;
  if (links > 0 && reciprocated == links) {
    warnings.push_back(Warning{"looks_undirected"}
                           .add_text("file", file)
                           .add_count("links", links)
                           .add_text("reason", "reverse"));
  } else if (links >= min_links_unreciprocated && reciprocated == 0) {
    warnings.push_back(Warning{"looks_undirected"}
                           .add_text("file", file)
                           .add_count("links", links)
                           .add_text("reason", "none_reciprocated"));
  }
  if (links >= min_links_for_two_mode && both == 0) {
    warnings.push_back(Warning{"looks_two_mode"}
                           .add_text("file", file)
                           .add_count("senders", senders)
                           .add_count("receivers", receivers)
                           .add_count("links", links));
  }
  return warnings;
}

std::vector<Warning> undirected_shape_warnings(const Network& net, const std::string& file) {
  const auto n = static_cast<std::size_t>(net.node_count);
  // The nodes coloured 1 or 2 by a walk from each uncoloured node with an edge, each neighbour
  // the other colour; an edge between two nodes of one colour ends it.
  std::vector<int> colour(n + 1, 0);
  std::vector<int> stack;
  std::int64_t counts[3] = {0, 0, 0}, linked_nodes = 0, parts = 0;
  for (int start = 1; start <= net.node_count; ++start) {
    if (colour[std::size_t(start)] != 0 || net.out(start) + net.in(start) == 0) continue;
    ++parts;
    colour[std::size_t(start)] = 1;
    stack.push_back(start);
    while (!stack.empty()) {
      const int a = stack.back();
      stack.pop_back();
      ++linked_nodes;
      ++counts[colour[std::size_t(a)]];
      const int other = 3 - colour[std::size_t(a)];
      for (const auto list : {net.out_list(a), net.in_list(a)}) {
        for (const node_id entry : list) {
          const auto b = static_cast<std::size_t>(std::abs(entry));
          if (colour[b] == 0) {
            colour[b] = other;
            stack.push_back(static_cast<int>(b));
          } else if (colour[b] != other) {
            return {};
          }
        }
      }
    }
  }
  const std::int64_t links = net.link_count;
  const bool has_cycle = links > linked_nodes - parts;
  if (links < min_links_for_two_mode || !has_cycle) return {};
  return {Warning{"looks_two_mode"}
              .add_text("file", file)
              .add_count("first", counts[1])
              .add_count("second", counts[2])
              .add_count("links", links)
              .add_text("reason", "two_sets")};
}

Network with_node_count(const Network& network, int node_count, const std::string& source) {
  NetworkBuilder builder(source, command_line_limits);
  builder.declare_nodes(std::max(node_count, network.node_count));
  for (int a = 1; a <= network.node_count; ++a) {
    for (const node_id entry : network.out_list(a)) builder.add_link(a, std::abs(entry));
  }
  return std::move(builder).finish();
}

}  // namespace tarn
