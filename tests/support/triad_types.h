#pragma once
// Holland and Leinhardt's sixteen triad types in census order, each by its name and one set of
// arcs on the nodes A = 0, B = 1, C = 2 (a triad is of a type when some relabelling of its nodes
// gives that set exactly).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace tarn::test {

struct TriadType {
  std::string name;
  std::vector<std::pair<int, int>> arcs;
};

inline const std::array<TriadType, 16> triad_types = {{
    {"003", {}},
    {"012", {{0, 1}}},                                  // A->B
    {"102", {{0, 1}, {1, 0}}},                          // A<->B
    {"021D", {{1, 0}, {1, 2}}},                         // A<-B->C
    {"021U", {{0, 1}, {2, 1}}},                         // A->B<-C
    {"021C", {{0, 1}, {1, 2}}},                         // A->B->C
    {"111D", {{0, 1}, {1, 0}, {2, 1}}},                 // A<->B<-C
    {"111U", {{0, 1}, {1, 0}, {1, 2}}},                 // A<->B->C
    {"030T", {{0, 1}, {2, 1}, {0, 2}}},                 // A->B<-C, A->C
    {"030C", {{1, 0}, {2, 1}, {0, 2}}},                 // A<-B<-C, A->C
    {"201", {{0, 1}, {1, 0}, {1, 2}, {2, 1}}},          // A<->B<->C
    {"120D", {{1, 0}, {1, 2}, {0, 2}, {2, 0}}},         // A<-B->C, A<->C
    {"120U", {{0, 1}, {2, 1}, {0, 2}, {2, 0}}},         // A->B<-C, A<->C
    {"120C", {{0, 1}, {1, 2}, {0, 2}, {2, 0}}},         // A->B->C, A<->C
    {"210", {{0, 1}, {1, 2}, {2, 1}, {0, 2}, {2, 0}}},  // A->B<->C, A<->C
    {"300", {{0, 1}, {1, 0}, {1, 2}, {2, 1}, {0, 2}, {2, 0}}},
}};

// The census index of the triad whose arc u->v (u, v of 0..2) is there when linked(u, v): the
// type some relabelling of whose arcs gives them exactly (exactly one type must).
template <class Linked>
int triad_type_of(const Linked& linked) {
  int found = -1;
  for (int t = 0; t < 16; ++t) {
    std::array<int, 3> p = {0, 1, 2};
    bool same = false;
    do {
      int matched = 0;
      for (int u = 0; u < 3; ++u)
        for (int v = 0; v < 3; ++v) {
          const auto& arcs = triad_types[std::size_t(t)].arcs;
          const bool want = std::find(arcs.begin(), arcs.end(), std::pair{u, v}) != arcs.end();
          matched += u != v && bool(linked(p[std::size_t(u)], p[std::size_t(v)])) == want;
        }
      same = same || matched == 6;
    } while (std::next_permutation(p.begin(), p.end()));
    if (same) {
      EXPECT_EQ(found, -1) << "two types fit";
      found = t;
    }
  }
  EXPECT_NE(found, -1) << "a triad of no type";
  return found;
}

// The same by bits: bit 3 u + v for the arc u->v (no self-arcs), each type found once.
inline int triad_type_of_arcs(unsigned bits) {
  static const std::array<int, 512> type = [] {
    std::array<int, 512> t{};
    for (unsigned b = 0; b < 512; ++b)
      if ((b & 0x111u) == 0)
        t[b] = triad_type_of([b](int u, int v) { return b >> (3 * u + v) & 1u; });
    return t;
  }();
  return type[bits];
}

}  // namespace tarn::test
