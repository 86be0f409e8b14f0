#include "network/network_shape.h"

#include <algorithm>
#include <cstdlib>

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
    for (const int16 entry : net.out_list(a)) {
      if (std::abs(entry) == a) continue;  // a self-link is its own reverse
      ++links;
      reciprocated += entry < 0 ? 1 : 0;
      sends = true;
    }
    for (const int16 sender : net.in_list(a)) receives = receives || sender != a;
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

Network with_node_count(const Network& network, int node_count, const std::string& source) {
  NetworkBuilder builder(source);
  builder.declare_nodes(std::max(node_count, network.node_count));
  for (int a = 1; a <= network.node_count; ++a) {
    for (const int16 entry : network.out_list(a)) builder.add_link(a, std::abs(entry));
  }
  return std::move(builder).finish();
}

}  // namespace tarn
