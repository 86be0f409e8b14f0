#pragma once
// The Florentine marriages (16 families, 20 marriages) as a 0/1 matrix of ties, from the example
// file: undirected, or read as directed (each marriage one link, from the lower node number).

#include <vector>

#include "support/brute_terms.h"
#include "support/florentine_marriages.h"

namespace tarn::test {

inline Ties florentine_ties(bool directed) {
  const int n = 16;
  Ties x{n, directed, std::vector<std::vector<int>>(n + 1, std::vector<int>(n + 1, 0))};
  for (const auto& [a, b] : florentine_marriages().edges) {
    x.x[std::size_t(a)][std::size_t(b)] = 1;
    if (!directed) x.x[std::size_t(b)][std::size_t(a)] = 1;
  }
  return x;
}

}  // namespace tarn::test
