#pragma once
// A network read from a file of ordered rows, taken as undirected (--undirected): every row i,j or
// j,i names the pair {i, j}, so the pair is one edge when any of its rows gives a link (a row
// given twice says nothing new), and a self-link is no edge. The store then holds each edge
// once, as the link a->b with a < b.

#include <cstdint>
#include <string>

#include "network/dyad_values.h"
#include "network/network.h"

namespace tarn {

struct UndirectedNetwork {
  Network network;
  std::int64_t self_links = 0;  // left out
};

// `source` names the file in the messages of the link store.
UndirectedNetwork undirected_network(const Network& read, const std::string& source);

// The values of a dyadic covariate on an undirected network's pairs: the pair {i, j} (i < j) takes
// the value of the row i,j, else that of j,i, as ergm reads the upper triangle of a covariate
// matrix; held once, at (i, j). A value of 0 is no value, as in every covariate file.
struct UndirectedValues {
  DyadValues values;
  std::int64_t differing_pairs = 0;  // both rows given, with different values
  // The first such pair, i < j: its two values, of i,j and of j,i.
  int first = 0, second = 0;
  double value = 0, reverse_value = 0;
};

UndirectedValues undirected_values(const DyadValues& read);

}  // namespace tarn
