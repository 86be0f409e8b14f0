#pragma once
// The Florentine marriages (16 families, 20 marriages) as a 0/1 matrix of ties, from the example
// file: undirected, or read as directed (each marriage one link, from the lower node number).

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/brute_terms.h"
#include "support/repository.h"

namespace tarn::test {

inline Ties florentine_ties(bool directed) {
  std::ifstream file(repository_file("examples/florentine_marriage.net"));
  std::string line;
  const int n = 16;
  Ties x{n, directed, std::vector<std::vector<int>>(n + 1, std::vector<int>(n + 1, 0))};
  bool edges = false;
  while (std::getline(file, line)) {
    if (line.rfind("*", 0) == 0) {
      edges = line.find("dges") != std::string::npos || line.find("rcs") != std::string::npos;
      continue;
    }
    std::istringstream fields(line);
    int a = 0, b = 0;
    if (!edges || !(fields >> a >> b)) continue;
    x.x[std::size_t(a)][std::size_t(b)] = 1;
    if (!directed) x.x[std::size_t(b)][std::size_t(a)] = 1;
  }
  return x;
}

}  // namespace tarn::test
