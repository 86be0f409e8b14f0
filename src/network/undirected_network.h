#pragma once
// A network read from a file of ordered rows, taken as undirected (--undirected): the rows i,j and
// j,i are one pair, so the pair {i, j} is one edge when either row gives a link, and a self-link
// is no edge. The store then holds each edge once, as the link a->b with a < b.

#include <cstdint>
#include <string>

#include "network/comparative_network.h"
#include "network/network.h"

namespace tarn {

struct UndirectedNetwork {
  Network network;  // has_repeated_links: some row was given twice in the same direction
  std::int64_t self_links = 0;  // left out
};

// `source` names the file in the messages of the link store.
UndirectedNetwork undirected_network(const Network& read, const std::string& source);

// The values of a dyadic covariate on an undirected network's pairs: the pair {i, j} (i < j) takes
// the value of the row i,j, else that of j,i, as ergm reads the upper triangle of a covariate
// matrix; held once, at (i, j). A value of 0 is no value, as in every covariate file.
struct UndirectedValues {
  ComparativeNetwork values;
  std::int64_t differing_pairs = 0;  // both rows given, with different values
  // The first such pair, i < j: its two values, of i,j and of j,i.
  int first = 0, second = 0;
  int value = 0, reverse_value = 0;
};

UndirectedValues undirected_values(const ComparativeNetwork& read);

}  // namespace tarn
