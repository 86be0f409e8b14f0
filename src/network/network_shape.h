#pragma once
// What the shape of a network read as directed suggests about the file it came from, said as
// warnings (network/warning.h) with their figures:
// - looks_undirected (figures: file, links, reason "reverse"): every link between two nodes has
//   its reverse, as when each edge of an undirected network is given both ways; or (reason
//   "none_reciprocated") not one of at least 20 links has its reverse, as when each edge is given
//   once (networkx writes an undirected graph so), which is rare in directed social data;
// - looks_two_mode (file, senders, receivers, links): at least 10 links between two nodes, and
//   no node both sends and receives, as in a network of two kinds of node.

#include <string>
#include <vector>

#include "network/network.h"
#include "network/warning.h"

namespace tarn {

std::vector<Warning> network_shape_warnings(const Network& network, const std::string& file);

// The same of a network read as undirected (each edge once): looks_two_mode (figures: file,
// first, second, links, reason "two_sets") when its nodes split into two sets with no edge
// inside either, at least 10 edges join them, and some edges close a cycle (a forest splits so
// whatever it is).
std::vector<Warning> undirected_shape_warnings(const Network& network, const std::string& file);

// The network with nodes 1..node_count (at least its own): the same links, more isolated nodes.
Network with_node_count(const Network& network, int node_count, const std::string& source);

}  // namespace tarn
