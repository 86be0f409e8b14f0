#pragma once
// The features of one network that a goodness-of-fit check compares between the observed network
// and networks simulated from a fitted model: directed, the in- and out-degree distributions,
// shared partners, geodesic distances and the triad census; undirected, as ergm's gof shows them,
// the degree distribution, shared partners and geodesic distances (a triad census of directed
// types says nothing of an undirected network); two-mode, those of each mode.
//
// Directed, links are the distinct ordered pairs i != j with at least one link in the store: a
// link given twice counts once and self-links are ignored. Undirected, edges are the distinct
// unordered pairs {i, j}, i != j, with a link either way. Every vector ends at its last non-zero
// entry and has at least one entry; the features that do not apply are empty.

#include <array>
#include <cstdint>
#include <vector>

#include "network/network.h"

namespace tarn {

struct NetworkFeatures {
  bool directed = true;
  // [d]: share of nodes with d distinct out-links (in-links); directed only.
  std::vector<double> out_degree, in_degree;
  // [d]: share of nodes with d edges; undirected only.
  std::vector<double> degree;
  // [k]: share of links i->j with k partners m (m not i, j) such that i->m and m->j;
  // undirected, of edges {i, j} with k common neighbours.
  std::vector<double> edgewise_shared;
  // [k]: share of ordered pairs (i, j), i != j, with k such partners; undirected, of unordered
  // pairs.
  std::vector<double> dyadwise_shared;
  // A two-mode network (nodes 0..first_mode-1 the first mode; 0: one mode) has, in place of
  // degree and the shared partners, per mode m: [d] the share of the mode's nodes with d edges,
  // and [k] the share of the pairs within the mode with k common neighbours.
  int first_mode = 0;
  std::array<std::vector<double>, 2> mode_degree, mode_dyadwise_shared;
  // [d - 1]: share of ordered pairs i != j whose shortest directed path has length d;
  // undirected, of unordered pairs and undirected paths.
  std::vector<double> geodesic;
  // Share of the pairs with no path.
  double unreachable = 0;
  // The nodes whose distances to every other node the geodesic shares count: all of them up to
  // geodesic_exact_nodes nodes, else a sample, and the shares are estimates.
  std::int64_t geodesic_sources = 0;
  int node_count = 0;
  // Counts of the triads (unordered triples of nodes) of each type, in the order
  // 003 012 102 021D 021U 021C 111D 111U 030T 030C 201 120D 120U 120C 210 300; directed only
  // (all 0 undirected).
  std::array<std::int64_t, 16> triad_census{};
};

// The names of the triad types in the order of NetworkFeatures::triad_census.
inline constexpr std::array<const char*, 16> triad_type_names = {
    "003",  "012",  "102", "021D", "021U", "021C", "111D", "111U",
    "030T", "030C", "201", "120D", "120U", "120C", "210",  "300"};

// Past this many nodes the geodesic distances are counted from geodesic_sampled_sources sources
// drawn from the nodes, not from every node: breadth-first searches from all 10^6 nodes of a
// network with 10^7 links would take days, from 1024 of them seconds; each share is then a mean
// over 1024 sources, its standard error their spread over 32. The sample's stream is seeded by
// (geodesic_source_seed, node count).
inline constexpr int geodesic_exact_nodes = 20000;
inline constexpr int geodesic_sampled_sources = 1024;
inline constexpr std::uint64_t geodesic_source_seed = 0x9e0de51c;

// Time near O(links x degree + sources x links / 64): breadth-first searches from 64 sources at
// once, two-paths counted per sender, and the triad census by the algorithm of Batagelj and Mrvar.
NetworkFeatures network_features(const Network& network);
// The same of the network taken as undirected: each link a->b (or b->a) the edge {a, b}.
NetworkFeatures undirected_network_features(const Network& network);

}  // namespace tarn
