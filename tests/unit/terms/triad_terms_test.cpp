// The terms of triad classes (triadcensus, transitive, intransitive, balance) and cycle against
// their definitions counted by brute force: every triad matched to the classes' patterns under
// every relabelling of its nodes, every cycle as a sequence of distinct nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/florentine_ties.h"
#include "support/term_check.h"
#include "support/triad_types.h"

namespace tarn {
namespace {

using namespace test;

// The class of the triad {a, b, c}: its type's name (support/triad_types.h); undirected, its
// number of edges.
std::string class_of(const Ties& x, int a, int b, int c) {
  const std::array<int, 3> nodes = {a, b, c};
  if (!x.directed) return std::to_string(x(a, b) + x(a, c) + x(b, c));
  unsigned bits = 0;
  for (int u = 0; u < 3; ++u)
    for (int v = 0; v < 3; ++v)
      if (u != v && x(nodes[std::size_t(u)], nodes[std::size_t(v)])) bits |= 1u << (3 * u + v);
  return triad_types[std::size_t(triad_type_of_arcs(bits))].name;
}

// One statistic per list of classes: the triads of any class of it.
Brute triads_of(std::vector<std::vector<std::string>> lists) {
  return [lists](const Ties& x, const World&) {
    std::vector<double> out(lists.size(), 0.0);
    for (int a = 1; a <= x.n; ++a)
      for (int b = a + 1; b <= x.n; ++b)
        for (int c = b + 1; c <= x.n; ++c) {
          const std::string name = class_of(x, a, b, c);
          for (std::size_t s = 0; s < lists.size(); ++s) {
            const auto& list = lists[s];
            out[s] += std::find(list.begin(), list.end(), name) != list.end() ? 1.0 : 0.0;
          }
        }
    return out;
  };
}

// The cycles of each length: sequences of distinct nodes joined in order and back to the first,
// less the k starting points (undirected: and the two directions).
double cycles(const Ties& x, int k) {
  std::vector<int> path;
  double sequences = 0;
  std::function<void()> extend = [&]() {
    if (int(path.size()) == k) {
      sequences += x(path.back(), path.front());
      return;
    }
    for (int v = 1; v <= x.n; ++v) {
      if (std::find(path.begin(), path.end(), v) != path.end()) continue;
      if (!path.empty() && !x(path.back(), v)) continue;
      path.push_back(v);
      extend();
      path.pop_back();
    }
  };
  extend();
  return sequences / (x.directed ? k : 2 * k);
}

Brute cycles_of(std::vector<int> lengths) {
  return [lengths](const Ties& x, const World&) {
    std::vector<double> out;
    for (int k : lengths) out.push_back(cycles(x, k));
    return out;
  };
}

// Trails of three distinct links: sequences v0, v1, v2, v3 with the middle link v1->v2 and the
// outer ones of the kind's directions (undirected: any, each trail read both ways).
Brute trails_of(std::vector<std::string> kinds) {
  return [kinds](const Ties& x, const World&) {
    std::vector<double> out;
    for (const std::string& kind : kinds) {
      double count = 0;
      for (int a = 1; a <= x.n; ++a)
        for (int b = 1; b <= x.n; ++b)
          for (int c = 1; c <= x.n; ++c)
            for (int d = 1; d <= x.n; ++d) {
              if (a == b || b == c || c == d || !x(b, c)) continue;
              const std::pair<int, int> first = kind[0] == 'R' ? std::pair{a, b} : std::pair{b, a};
              const std::pair<int, int> last = kind[2] == 'R' ? std::pair{c, d} : std::pair{d, c};
              if (!x(first.first, first.second) || !x(last.first, last.second)) continue;
              auto same = [&](std::pair<int, int> e, std::pair<int, int> f) {
                return e == f || (!x.directed && e == std::pair{f.second, f.first});
              };
              const std::pair<int, int> middle{b, c};
              if (same(first, middle) || same(last, middle) || same(first, last)) continue;
              count += 1;
            }
      out.push_back(x.directed ? count : count / 2);  // undirected: read both ways
    }
    return out;
  };
}

std::vector<std::string> all_directed() {
  std::vector<std::string> names;
  for (const TriadType& p : triad_types) names.push_back(p.name);
  return names;
}

std::vector<Case> triad_cases(int longest_cycle) {
  std::vector<Case> all;
  std::vector<std::vector<std::string>> census;
  for (const std::string& name : all_directed()) census.push_back({name});
  all.push_back({"triadcensus(levels=TRUE)", true, triads_of(census)});
  all.push_back(
      {"triadcensus", true,
       triads_of(std::vector<std::vector<std::string>>(census.begin() + 1, census.end()))});
  all.push_back({"triadcensus(levels=c(\"030T\", \"201\"))", true, triads_of({{"030T"}, {"201"}})});
  all.push_back({"triadcensus", false, triads_of({{"1"}, {"2"}, {"3"}})});
  all.push_back({"triadcensus(levels=c(1, 4))", false, triads_of({{"0"}, {"3"}})});
  // ergm's code counts transitive triples and open two-paths, not the classes its page names.
  auto triples = [](bool closed) {
    return [closed](const Ties& x, const World&) {
      double count = 0;
      for (int a = 1; a <= x.n; ++a)
        for (int b = 1; b <= x.n; ++b)
          for (int c = 1; c <= x.n; ++c) {
            if (a == b || b == c || a == c || !x(a, b) || !x(b, c)) continue;
            count += (x(a, c) != 0) == closed ? 1 : 0;
          }
      return std::vector<double>{count};
    };
  };
  all.push_back({"transitive", true, triples(true)});
  all.push_back({"intransitive", true, triples(false)});
  all.push_back({"balance", true, triads_of({{"102", "300"}})});
  all.push_back({"balance", false, triads_of({{"1", "3"}})});
  all.push_back({"simmelian", true, triads_of({{"300"}})});
  all.push_back({"nearsimmelian", true, triads_of({{"210"}})});
  all.push_back({"simmelianties", true, [](const Ties& x, const World&) {
                   double links = 0;
                   for (int a = 1; a <= x.n; ++a)
                     for (int b = 1; b <= x.n; ++b) {
                       bool simmelian = false;
                       for (int k = 1; k <= x.n; ++k) {
                         simmelian = simmelian ||
                                     (k != a && k != b && x(a, k) && x(k, a) && x(b, k) && x(k, b));
                       }
                       links += a != b && x(a, b) && x(b, a) && simmelian ? 1 : 0;
                     }
                   return std::vector<double>{links};
                 }});
  all.push_back({"opentriad", false, [](const Ties& x, const World&) {
                   // Paths a - c - b (c the centre, a < b) whose ends are not joined.
                   double open = 0;
                   for (int c = 1; c <= x.n; ++c)
                     for (int a = 1; a <= x.n; ++a)
                       for (int b = a + 1; b <= x.n; ++b) {
                         open += a != c && b != c && x(a, c) && x(b, c) && !x(a, b) ? 1 : 0;
                       }
                   return std::vector<double>{open};
                 }});
  all.push_back({"threetrail", true, trails_of({"RRR", "RRL", "LRR", "LRL"})});
  all.push_back({"threepath(levels=c(\"LRL\", \"RRR\"))", true, trails_of({"LRL", "RRR"})});
  all.push_back({"threetrail(keep=2:3)", true, trails_of({"RRL", "LRR"})});
  all.push_back({"threetrail", false, trails_of({"RRR"})});
  std::vector<int> directed_lengths, undirected_lengths;
  for (int k = 2; k <= longest_cycle; ++k) directed_lengths.push_back(k);
  for (int k = 3; k <= longest_cycle; ++k) undirected_lengths.push_back(k);
  all.push_back(
      {"cycle(2:" + std::to_string(longest_cycle) + ")", true, cycles_of(directed_lengths)});
  all.push_back(
      {"cycle(3:" + std::to_string(longest_cycle) + ")", false, cycles_of(undirected_lengths)});
  all.push_back({"cycle(c(4, 3))", true, cycles_of({4, 3})});
  return all;
}

// Triads of three nodes of one group: transitive triples (ordered i->j, j->k, i->k), cyclic
// triples, and their sum (directed triangle) or the undirected triangles; by group with diff.
Brute triples_by_group(char kind, std::vector<std::string> groups, bool diff) {
  return [=](const Ties& x, const World& w) {
    std::vector<double> out(diff ? groups.size() : 1, 0.0);
    for (int i = 1; i <= x.n; ++i)
      for (int j = 1; j <= x.n; ++j)
        for (int k = 1; k <= x.n; ++k) {
          if (i == j || j == k || i == k) continue;
          const std::string& g = w.group[std::size_t(i - 1)];
          if (w.group[std::size_t(j - 1)] != g || w.group[std::size_t(k - 1)] != g) continue;
          const auto at = std::find(groups.begin(), groups.end(), g);
          if (at == groups.end()) continue;
          double count = 0;
          if (!x.directed) {
            count = x(i, j) && x(j, k) && x(k, i) ? 1.0 / 6 : 0.0;  // 6 orders of each
          } else {
            const double transitive = x(i, j) && x(j, k) && x(i, k) ? 1.0 : 0.0;
            const double cyclic = x(i, j) && x(j, k) && x(k, i) ? 1.0 / 3 : 0.0;
            count = kind == 't' ? transitive : kind == 'c' ? cyclic : transitive + cyclic;
          }
          out[diff ? std::size_t(at - groups.begin()) : 0] += count;
        }
    return out;
  };
}

std::vector<Case> attribute_cases() {
  const std::vector<std::string> abc = {"a", "b", "c"};
  return {
      {"ttriple(\"group\")", true, triples_by_group('t', abc, false)},
      {"ctriple(group, diff=TRUE)", true, triples_by_group('c', abc, true)},
      {"ttriple(group, diff=TRUE, levels=c(\"a\", \"c\"))", true,
       triples_by_group('t', {"a", "c"}, true)},
      {"triangle(group)", true, triples_by_group('x', abc, false)},
      {"triangle(group)", false, triples_by_group('x', abc, false)},
      {"triangle(group, diff=TRUE, levels=-2)", false, triples_by_group('x', {"a", "c"}, true)},
  };
}

// Triangles whose pairs are all neighbours in the covariate "target" (1 both ways).
Brute local_triangles() {
  return [](const Ties& x, const World& w) {
    const auto& m = w.covariates.at("target");
    auto near = [&](int a, int b) {
      return m[std::size_t(a)][std::size_t(b)] == 1 && m[std::size_t(b)][std::size_t(a)] == 1;
    };
    double count = 0;
    for (int i = 1; i <= x.n; ++i)
      for (int j = 1; j <= x.n; ++j)
        for (int k = 1; k <= x.n; ++k) {
          if (i == j || j == k || i == k || !near(i, j) || !near(j, k) || !near(i, k)) continue;
          if (!x.directed) {
            count += x(i, j) && x(j, k) && x(k, i) ? 1.0 / 6 : 0.0;
          } else {
            count += x(i, j) && x(j, k) && x(i, k) ? 1.0 : 0.0;
            count += x(i, j) && x(j, k) && x(k, i) ? 1.0 / 3 : 0.0;
          }
        }
    return std::vector<double>{count};
  };
}

// On random networks, and on dense networks and neighbourhoods, where the triads within a group or
// a neighbourhood are many.
TEST(TriadTerms, TriplesByAttributeAndLocalTrianglesAgainstBruteForce) {
  std::mt19937 random(64);
  std::vector<Case> cases = attribute_cases();
  for (bool directed : {true, false})
    cases.push_back({"localtriangle(\"target\")", directed, local_triangles()});
  for (const Case& c : cases) {
    check_against_brute_force(c, random);
    World w = world_of(9, random);
    for (int a = 1; a <= 9; ++a)
      for (int b = 1; b <= 9; ++b)
        w.covariates["target"][std::size_t(a)][std::size_t(b)] =
            a != b && random() % 5 != 0 ? 1.0 : 0.0;
    check_on_network(c, random_ties(9, c.directed, 0.7, random), w);
  }
}

TEST(TriadTerms, AgainstBruteForce) {
  std::mt19937 random(61);
  for (const Case& c : triad_cases(5)) check_against_brute_force(c, random);
}

TEST(TriadTerms, FlorentineAgainstBruteForce) {
  std::mt19937 random(62);
  const World w = world_of(16, random);
  const Ties marriages = florentine_ties(false);
  int links = 0;
  for (int a = 1; a <= 16; ++a)
    for (int b = a + 1; b <= 16; ++b) links += marriages(a, b);
  ASSERT_EQ(links, 20);
  for (const Case& c : triad_cases(4)) check_on_network(c, florentine_ties(c.directed), w);
}

// localtriangle's names and a covariate it cannot find (the other triad terms' names and refusals
// are rows of formula_test.cpp's tables).
TEST(TriadTerms, LocalTriangleNamesAndRefusal) {
  NodeCovariates attributes;
  std::mt19937 random(63);
  const World w = world_of(6, random);
  auto term = [&](const std::string& formula, bool directed) {
    return make_term(parse_term(formula), context_of(w, directed, attributes));
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(term("localtriangle(\"target\")", true)->statistic_names(),
            (Names{"localtriangle.target"}));
  EXPECT_EQ(term("localtriangle(\"target\", attrname=\"nb\")", false)->statistic_names(),
            (Names{"localtriangle.nb"}));
  EXPECT_THROW(term("localtriangle(\"nothing\")", true), ModelError);
}

}  // namespace
}  // namespace tarn
