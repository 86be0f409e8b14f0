#pragma once
// Holland and Leinhardt's sixteen triad types in census order, each by its name and one set of
// arcs on the nodes A = 0, B = 1, C = 2 (a triad is of a type when some relabelling of its nodes
// gives that set exactly).

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

}  // namespace tarn::test
