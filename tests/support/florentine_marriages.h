#pragma once
// The Florentine marriages of examples/ (Padgett): the 16 families by vertex number and the 20
// marriages as pairs of vertex numbers, in the Pajek file's order.

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/repository.h"

namespace tarn::test {

struct Marriages {
  std::vector<std::string> families;       // vertex k is families[k - 1]
  std::vector<std::pair<int, int>> edges;  // vertex numbers

  const std::string& family(int vertex) const { return families[std::size_t(vertex - 1)]; }
  std::vector<std::pair<std::string, std::string>> named_edges() const {
    std::vector<std::pair<std::string, std::string>> named;
    for (const auto& [a, b] : edges) named.emplace_back(family(a), family(b));
    return named;
  }
};

// An attribute table of the families: "part" is p for Pucci (the isolate), m for every other.
inline std::string pucci_apart() {
  std::string part = "family,part\n";
  for (const char* f : {"Acciaiuoli", "Albizzi", "Barbadori", "Bischeri", "Castellani", "Ginori",
                        "Guadagni", "Lamberteschi", "Medici", "Pazzi", "Peruzzi", "Pucci",
                        "Ridolfi", "Salviati", "Strozzi", "Tornabuoni"}) {
    part += std::string(f) + (std::string(f) == "Pucci" ? ",p\n" : ",m\n");
  }
  return part;
}

inline Marriages florentine_marriages() {
  Marriages m;
  std::ifstream in(repository_file("examples/florentine_marriage.net"));
  std::string line;
  bool edges = false;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line[0] == '*') {
      edges = line.find("dges") != std::string::npos;
      continue;
    }
    std::istringstream fields(line);
    int a = 0, b = 0;
    if (edges) {
      fields >> a >> b;
      m.edges.emplace_back(a, b);
    } else {
      m.families.push_back(line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1));
    }
  }
  return m;
}

}  // namespace tarn::test
