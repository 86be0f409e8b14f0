#pragma once
// The features of one directed network that a goodness-of-fit check compares between the
// observed network and networks simulated from a fitted model: degree distributions, shared
// partners, geodesic distances and the triad census.
//
// Links are the distinct ordered pairs i != j with at least one link in the store: a link given
// twice counts once and self-links are ignored. Every vector ends at its last non-zero entry and
// has at least one entry.

#include <array>
#include <cstdint>
#include <vector>

#include "network/network.h"

namespace tarn {

struct NetworkFeatures {
  // [d]: share of nodes with d distinct out-links (in-links).
  std::vector<double> out_degree, in_degree;
  // [k]: share of links i->j with k partners m (m not i, j) such that i->m and m->j.
  std::vector<double> edgewise_shared;
  // [k]: share of ordered pairs (i, j), i != j, with k such partners.
  std::vector<double> dyadwise_shared;
  // [d - 1]: share of ordered pairs i != j whose shortest directed path has length d.
  std::vector<double> geodesic;
  // Share of ordered pairs i != j with no directed path.
  double unreachable = 0;
  // Counts of the triads (unordered triples of nodes) of each type, in the order
  // 003 012 102 021D 021U 021C 111D 111U 030T 030C 201 120D 120U 120C 210 300.
  std::array<std::int64_t, 16> triad_census{};
};

// The names of the triad types in the order of NetworkFeatures::triad_census.
inline constexpr std::array<const char*, 16> triad_type_names = {
    "003",  "012",  "102", "021D", "021U", "021C", "111D", "111U",
    "030T", "030C", "201", "120D", "120U", "120C", "210",  "300"};

// Time near O(links x degree + n x links / 64): breadth-first searches from 64 sources at once,
// two-paths counted per sender, and the triad census by the algorithm of Batagelj and Mrvar.
NetworkFeatures network_features(const Network& network);

}  // namespace tarn
