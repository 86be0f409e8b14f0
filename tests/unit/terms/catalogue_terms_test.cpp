// ergm's catalogue of binary one-mode terms (the dyadic, degree and attribute families and the
// operators) against their definitions counted by brute force (support/brute_catalogue.h): the
// network statistic, the change of every dyad and the rows of every sender, on random directed
// and undirected networks with attributes and dyadic covariates (support/term_check.h).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/brute_catalogue.h"

namespace tarn {
namespace {

using namespace test;
using namespace test::brute;

using Levels = std::vector<std::string>;
using Of = std::function<std::string(const World&, int)>;
const Levels groups = {"a", "b", "c"};
const Levels sexes = {"F", "M"};

// One statistic per level: the sum over nodes of that level of f(node).
Brute by_level(Levels levels, std::function<std::string(const World&, int)> level_of,
               std::function<double(const Ties&, const World&, int)> f) {
  return [levels, level_of, f](const Ties& x, const World& w) {
    std::vector<double> out;
    for (const std::string& level : levels) {
      double sum = 0;
      for (int a = 1; a <= x.n; ++a) sum += level_of(w, a) == level ? f(x, w, a) : 0.0;
      out.push_back(sum);
    }
    return out;
  };
}

// One statistic per function of a link.
Brute over_links(std::vector<std::function<double(const World&, int, int)>> fs) {
  return [fs](const Ties& x, const World& w) {
    std::vector<double> out;
    for (const auto& f : fs) {
      out.push_back(over_pairs(x, [&](int a, int b) { return x(a, b) ? f(w, a, b) : 0.0; }));
    }
    return out;
  };
}

using OfLink = std::function<double(const World&, int, int)>;

// The link's ends (both; or its head, its tail) whose code by `of` is `level`.
OfLink ends_in(const std::string& level, Of of = group) {
  return
      [=](const World& w, int a, int b) { return (of(w, a) == level) + (of(w, b) == level) * 1.0; };
}
OfLink head_in(const std::string& level) {
  return [=](const World& w, int, int b) { return group(w, b) == level ? 1.0 : 0.0; };
}
OfLink tail_in(const std::string& level) {
  return [=](const World& w, int a, int) { return group(w, a) == level ? 1.0 : 0.0; };
}
// The links from group r to group c; either way round.
OfLink cell(const std::string& r, const std::string& c) {
  return [=](const World& w, int a, int b) {
    return group(w, a) == r && group(w, b) == c ? 1.0 : 0.0;
  };
}
OfLink either(const std::string& r, const std::string& c) {
  return [=](const World& w, int a, int b) {
    return cell(r, c)(w, a, b) + (r != c ? cell(c, r)(w, a, b) : 0.0);
  };
}

auto same_group = [](const World& w) {
  return [&w](int a, int b) { return group(w, a) == group(w, b); };
};

double mutual_pairs(const Ties& x, const std::function<bool(int, int)>& counted) {
  return over_unordered_pairs(x, [&](int a, int b) { return x(a, b) && x(b, a) && counted(a, b); });
}

double asymmetric_pairs(const Ties& x, const std::function<bool(int, int)>& counted) {
  return over_unordered_pairs(
      x, [&](int a, int b) { return x(a, b) + x(b, a) == 1 && counted(a, b) ? 1.0 : 0.0; });
}

std::vector<Case> dyad_state_cases() {
  std::vector<Case> all;
  all.push_back({"asymmetric", true, one([](const Ties& x, const World&) {
                   return asymmetric_pairs(x, [](int, int) { return true; });
                 })});
  all.push_back({"asymmetric(group)", true, one([](const Ties& x, const World& w) {
                   return asymmetric_pairs(x, same_group(w));
                 })});
  for (const char* formula : {"asymmetric(group, diff=TRUE, levels=c(\"a\", \"c\"))",
                              "asymmetric(\"group\", diff=TRUE, keep=c(1, 3))"}) {
    all.push_back({formula, true, [](const Ties& x, const World& w) {
                     std::vector<double> out;
                     for (const char* level : {"a", "c"}) {
                       out.push_back(asymmetric_pairs(x, [&](int a, int b) {
                         return group(w, a) == level && group(w, b) == level;
                       }));
                     }
                     return out;
                   }});
  }
  all.push_back({"mutual(same=group)", true, one([](const Ties& x, const World& w) {
                   return mutual_pairs(x, same_group(w));
                 })});
  all.push_back(
      {"mutual(same=\"group\", diff=TRUE, levels=-2)", true, [](const Ties& x, const World& w) {
         std::vector<double> out;
         for (const char* level : {"a", "c"}) {
           out.push_back(mutual_pairs(
               x, [&](int a, int b) { return group(w, a) == level && group(w, b) == level; }));
         }
         return out;
       }});
  auto mutual_partners = [](const Ties& x, const World&, int a) {
    double count = 0;
    for (int k = 1; k <= x.n; ++k) count += k != a && x(a, k) && x(k, a);
    return count;
  };
  all.push_back({"mutual(by=group)", true, by_level(groups, group, mutual_partners)});
  all.push_back({"mutual(by=\"sex\", levels=\"M\")", true, by_level({"M"}, sex, mutual_partners)});
  all.push_back({"mutual(by=sex, keep=1)", true, by_level({"F"}, sex, mutual_partners)});
  for (bool directed : {true, false}) {
    all.push_back({"dyadcov(\"cov\")", directed, [directed](const Ties& x, const World& w) {
                     if (!directed) {
                       return std::vector<double>{over_pairs(x, [&](int a, int b) {
                         return x(a, b) ? covariate(w, "cov", false, a, b) : 0.0;
                       })};
                     }
                     std::vector<double> out(3, 0.0);
                     over_unordered_pairs(x, [&](int a, int b) {
                       const double v = covariate(w, "cov", true, a, b);  // a < b: upper
                       if (x(a, b) && x(b, a)) out[0] += v;
                       if (x(a, b) && !x(b, a)) out[1] += v;
                       if (!x(a, b) && x(b, a)) out[2] += v;
                       return 0.0;
                     });
                     return out;
                   }});
    auto differing = [directed](const Ties& x, const World& w, const std::string& target,
                                const std::function<double(int, int)>& weight) {
      return over_pairs(x, [&](int a, int b) {
        const double t = target.empty() ? w.observed(a, b) : covariate(w, target, directed, a, b);
        return (x(a, b) != 0) != (t != 0) ? weight(a, b) : 0.0;
      });
    };
    all.push_back({"hamming(\"target\")", directed, one([differing](const Ties& x, const World& w) {
                     return differing(x, w, "target", [](int, int) { return 1.0; });
                   })});
    all.push_back({"hamming", directed, one([differing](const Ties& x, const World& w) {
                     return differing(x, w, "", [](int, int) { return 1.0; });
                   })});
    all.push_back({"hamming(\"target\", cov=\"weights\")", directed,
                   one([differing, directed](const Ties& x, const World& w) {
                     return differing(x, w, "target", [&](int a, int b) {
                       return covariate(w, "weights", directed, a, b);
                     });
                   })});
    all.push_back({"hamming(x=\"target\", defaultweight=2)", directed,
                   one([differing](const Ties& x, const World& w) {
                     return differing(x, w, "target", [](int, int) { return 2.0; });
                   })});
  }
  return all;
}

// Nodes by their degree: `side` 0 in, 1 out, 2 undirected.
double nodes_where(const Ties& x, int side, const std::function<bool(int node, int degree)>& f) {
  double count = 0;
  for (int a = 1; a <= x.n; ++a) count += f(a, degree(x, a, side)) ? 1 : 0;
  return count;
}

// Per level (bins varying fastest), the nodes of that level whose degree is in each bin.
Brute binned_by_level(int side, Levels levels, std::function<std::string(const World&, int)> of,
                      std::vector<std::function<bool(int)>> bins) {
  return [=](const Ties& x, const World& w) {
    std::vector<double> out;
    for (const std::string& level : levels) {
      for (const auto& bin : bins) {
        out.push_back(
            nodes_where(x, side, [&](int a, int d) { return of(w, a) == level && bin(d); }));
      }
    }
    return out;
  };
}

// Per bin, the nodes whose degree among the neighbours of their own group is in it.
Brute binned_within_group(int side, std::vector<std::function<bool(int)>> bins) {
  return [=](const Ties& x, const World& w) {
    std::vector<double> out;
    for (const auto& bin : bins) {
      double count = 0;
      for (int a = 1; a <= x.n; ++a) count += bin(degree_within(x, a, side, same_group(w)));
      out.push_back(count);
    }
    return out;
  };
}

std::function<bool(int)> from_to(int from, int to) {
  return [from, to](int d) { return d >= from && d < to; };
}
std::function<bool(int)> exactly(int value) {
  return [value](int d) { return d == value; };
}

std::vector<Case> degree_cases() {
  std::vector<Case> all;
  const int many = 1000;  // past every degree: to=Inf
  all.push_back({"degrange(1:3)", false, [](const Ties& x, const World&) {
                   std::vector<double> out;
                   for (int from : {1, 2, 3}) {
                     out.push_back(nodes_where(x, 2, [&](int, int d) { return d >= from; }));
                   }
                   return out;
                 }});
  all.push_back({"degrange(from=c(0, 2), to=c(2, 5))", false, [](const Ties& x, const World&) {
                   return std::vector<double>{
                       nodes_where(x, 2, [](int, int d) { return d < 2; }),
                       nodes_where(x, 2, [](int, int d) { return d >= 2 && d < 5; })};
                 }});
  all.push_back(
      {"degrange(1, by=group)", false, binned_by_level(2, groups, group, {from_to(1, many)})});
  all.push_back({"degrange(1:2, to=4, by=group, homophily=TRUE)", false,
                 binned_within_group(2, {from_to(1, 4), from_to(2, 4)})});
  all.push_back({"idegrange(2)", true, [](const Ties& x, const World&) {
                   return std::vector<double>{nodes_where(x, 0, [](int, int d) { return d >= 2; })};
                 }});
  all.push_back({"odegrange(0:1, to=3, by=group)", true,
                 binned_by_level(1, groups, group, {from_to(0, 3), from_to(1, 3)})});
  all.push_back({"idegrange(1:2, by=group, homophily=TRUE)", true,
                 binned_within_group(0, {from_to(1, many), from_to(2, many)})});
  all.push_back({"degree(1:2, by=group)", false,
                 binned_by_level(2, groups, group, {exactly(1), exactly(2)})});
  all.push_back({"degree(0:2, by=group, homophily=TRUE)", false,
                 binned_within_group(2, {exactly(0), exactly(1), exactly(2)})});
  all.push_back({"idegree(1, by=sex)", true, binned_by_level(0, sexes, sex, {exactly(1)})});
  all.push_back({"odegree(0:1, by=group, homophily=TRUE, levels=-2)", true,
                 binned_within_group(1, {exactly(0), exactly(1)})});
  for (const auto& [formula, side] : std::vector<std::pair<std::string, int>>{
           {"degree1.5", 2}, {"degreepopularity", 2}, {"idegree1.5", 0}, {"odegree1.5", 1}}) {
    all.push_back({formula, side != 2, one([side](const Ties& x, const World&) {
                     double sum = 0;
                     for (int a = 1; a <= x.n; ++a) sum += std::pow(degree(x, a, side), 1.5);
                     return sum;
                   })});
  }
  auto concurrent = [](const Ties& x, const World&, int a) {
    return degree(x, a, 2) >= 2 ? 1.0 : 0.0;
  };
  auto ties = [](const Ties& x, const World&, int a) {
    return std::max(degree(x, a, 2) - 1, 0) * 1.0;
  };
  auto everyone = [](const World&, int) { return std::string("all"); };
  all.push_back({"concurrent", false, by_level({"all"}, everyone, concurrent)});
  all.push_back({"concurrent(by=group)", false, by_level(groups, group, concurrent)});
  all.push_back({"concurrentties", false, by_level({"all"}, everyone, ties)});
  all.push_back({"concurrentties(by=sex, levels=2)", false, by_level({"M"}, sex, ties)});
  // Stars whose nodes all share a code: group, or (levels="a") a and not a.
  auto stars_within = [](int side, std::vector<int> ks, bool a_or_not) {
    return [side, ks, a_or_not](const Ties& x, const World& w) {
      auto same = [&](int a, int b) {
        return a_or_not ? (group(w, a) == "a") == (group(w, b) == "a") : group(w, a) == group(w, b);
      };
      std::vector<double> out;
      for (int k : ks) {
        double sum = 0;
        for (int a = 1; a <= x.n; ++a) sum += choose(degree_within(x, a, side, same), k);
        out.push_back(sum);
      }
      return out;
    };
  };
  all.push_back({"istar(2, group)", true, stars_within(0, {2}, false)});
  all.push_back({"istar(2, \"group\", levels=\"a\")", true, stars_within(0, {2}, true)});
  all.push_back({"ostar(1:3, attr=group, levels=-1)", true, stars_within(1, {1, 2, 3}, false)});
  all.push_back({"kstar(2:3, \"group\")", false, stars_within(2, {2, 3}, false)});
  auto gw_by = [](int side, double decay, Levels levels,
                  std::function<std::string(const World&, int)> of) {
    return by_level(levels, of, [side, decay](const Ties& x, const World&, int a) {
      return weight(decay, degree(x, a, side));
    });
  };
  all.push_back({"gwdegree(0.3, fixed=TRUE, attr=group)", false, gw_by(2, 0.3, groups, group)});
  all.push_back({"gwidegree(0.5, TRUE, \"group\")", true, gw_by(0, 0.5, groups, group)});
  all.push_back(
      {"gwodegree(0.2, fixed=TRUE, attr=sex, levels=\"M\")", true, gw_by(1, 0.2, {"M"}, sex)});
  all.push_back({"isolatededges", false, one([](const Ties& x, const World&) {
                   return over_pairs(x, [&](int a, int b) {
                     return x(a, b) && degree(x, a, 2) == 1 && degree(x, b, 2) == 1 ? 1.0 : 0.0;
                   });
                 })});
  // The alternating k-stars as Snijders et al. define them: sum over k >= 2 of
  // (-1)^k S_k / lambda^(k - 2).
  for (double lambda : {0.7, 2.0}) {
    all.push_back({"altkstar(" + r_number_text(lambda) + ", fixed=TRUE)", false,
                   one([lambda](const Ties& x, const World&) {
                     double sum = 0;
                     for (int k = 2; k <= x.n; ++k) {
                       double stars = 0;
                       for (int a = 1; a <= x.n; ++a) stars += choose(degree(x, a, 2), k);
                       sum += (k % 2 == 0 ? 1 : -1) * stars / std::pow(lambda, k - 2);
                     }
                     return sum;
                   })});
  }
  return all;
}

std::vector<Case> attribute_cases() {
  std::vector<Case> all;
  for (bool directed : {true, false}) {
    all.push_back({"nodematch(group, levels=c(\"a\", \"b\"))", directed,
                   over_links({[](const World& w, int a, int b) {
                     return group(w, a) == group(w, b) && group(w, a) != "c" ? 1.0 : 0.0;
                   }})});
    all.push_back(
        {"nodefactor(group, base=2)", directed, over_links({ends_in("a"), ends_in("c")})});
    all.push_back({"density", directed, one([directed](const Ties& x, const World&) {
                     const double n = x.n, links = over_pairs(
                                               x, [&](int a, int b) { return x(a, b) * 1.0; });
                     return links / (directed ? n * (n - 1) : n * (n - 1) / 2);
                   })});
    all.push_back({"meandeg", directed, one([directed](const Ties& x, const World&) {
                     const double links =
                         over_pairs(x, [&](int a, int b) { return x(a, b) * 1.0; });
                     return (directed ? links : 2 * links) / x.n;
                   })});
    all.push_back({"smalldiff(rank, 1)", directed, over_links({[](const World& w, int a, int b) {
                     return std::fabs(rank(w, a) - rank(w, b)) <= 1 ? 1.0 : 0.0;
                   }})});
    // absdiffcat: the distinct non-zero differences among the values present, ascending.
    for (const auto& [formula, drop] :
         std::vector<std::pair<std::string, int>>{{"absdiffcat(rank)", 0},
                                                  {"absdiffcat(\"rank\", levels=-1)", 1},
                                                  {"absdiffcat(rank, base=2)", 2}}) {
      all.push_back({formula, directed, [drop](const Ties& x, const World& w) {
                       std::set<double> differences;
                       for (double u : w.rank)
                         for (double v : w.rank)
                           if (u != v) differences.insert(std::fabs(u - v));
                       std::vector<double> kept(differences.begin(), differences.end());
                       if (drop > 0) kept.erase(kept.begin() + (drop - 1));
                       std::vector<double> out;
                       for (double d : kept) {
                         out.push_back(over_pairs(x, [&](int a, int b) {
                           return x(a, b) && std::fabs(rank(w, a) - rank(w, b)) == d ? 1.0 : 0.0;
                         }));
                       }
                       return out;
                     }});
    }
  }
  all.push_back({"nodematch(group, diff=TRUE, keep=c(1, 3))", true,
                 over_links({cell("a", "a"), cell("c", "c")})});
  all.push_back({"nodemix(group, levels=-1)", true,
                 over_links({cell("c", "b"), cell("b", "c"), cell("c", "c")})});
  all.push_back({"nodemix(group, levels=c(\"b\", \"c\"), levels2=TRUE)", false,
                 over_links({either("b", "b"), either("b", "c"), either("c", "c")})});
  all.push_back(
      {"nodeifactor(group, base=0)", true, over_links({head_in("a"), head_in("b"), head_in("c")})});
  // diff: tail a minus head b (undirected, over_links gives a < b: the lower node first).
  auto diff = [](double sign, double power, int action, bool by_rank) {
    return [=](const World& w, int a, int b) {
      double d = sign * (by_rank ? rank(w, a) - rank(w, b) : score(w, a) - score(w, b));
      if (action == 1) d = std::fabs(d);
      if (action == 2) d = std::max(d, 0.0);
      if (action == 3) d = std::min(d, 0.0);
      return power == 0 ? (d > 0) - (d < 0) * 1.0 : std::pow(d, power);
    };
  };
  all.push_back({"diff(score)", true, over_links({diff(1, 1, 0, false)})});
  all.push_back({"diff(score, pow=2, dir=\"h-t\")", true, over_links({diff(-1, 2, 0, false)})});
  all.push_back({"diff(score, pow=3, dir=\"head-tail\", sign.action=\"negonly\")", true,
                 over_links({diff(-1, 3, 3, false)})});
  all.push_back(
      {"diff(score, sign.action=\"abs\", pow=0.5)", false, over_links({diff(1, 0.5, 1, false)})});
  // Undirected over_links gives a < b: the tail is the lower node number.
  all.push_back(
      {"diff(rank, pow=0, sign.action=\"posonly\")", false, over_links({diff(1, 0, 2, true)})});
  auto degree_of_node = [](int side, int node, std::function<bool(const World&, int, int)> same) {
    return [=](const Ties& x, const World& w) {
      int d = 0;
      for (int k = 1; k <= x.n; ++k) {
        if (k == node || !same(w, node, k)) continue;
        d += side == 0 ? x(k, node) : x(node, k);
      }
      return d * 1.0;
    };
  };
  auto node_effects = [degree_of_node](int side, std::vector<int> nodes,
                                       std::function<bool(const World&, int, int)> same) {
    return [=](const Ties& x, const World& w) {
      std::vector<double> out;
      for (int node : nodes) {
        if (node <= x.n) out.push_back(degree_of_node(side, node, same)(x, w));
      }
      return out;
    };
  };
  auto anyone = [](const World&, int, int) { return true; };
  const std::vector<int> all_but_first = {2, 3, 4, 5, 6, 7, 8};
  all.push_back({"receiver", true, node_effects(0, all_but_first, anyone)});
  all.push_back({"receiver(nodes=c(2, 4))", true, node_effects(0, {2, 4}, anyone)});
  all.push_back({"sender(base=2)", true, node_effects(1, {1, 3, 4, 5, 6, 7, 8}, anyone)});
  all.push_back({"sender(nodes=-(1:2))", true, node_effects(1, {3, 4, 5, 6, 7, 8}, anyone)});
  all.push_back({"sociality", false, node_effects(1, all_but_first, anyone)});
  all.push_back(
      {"sociality(group)", false, node_effects(1, all_but_first, [](const World& w, int a, int b) {
         return group(w, a) == group(w, b);
       })});
  // Only a kept: b and c are one group, as ergm recodes the levels left out.
  all.push_back({"sociality(attr=group, levels=\"a\", nodes=TRUE)", false,
                 node_effects(1, {1, 2, 3, 4, 5, 6, 7, 8}, [](const World& w, int a, int b) {
                   return (group(w, a) == "a") == (group(w, b) == "a");
                 })});
  // mm: the cells, the row level varying fastest.
  all.push_back({"mm(group)", true,
                 over_links({cell("b", "a"), cell("c", "a"), cell("a", "b"), cell("b", "b"),
                             cell("c", "b"), cell("a", "c"), cell("b", "c"), cell("c", "c")})});
  all.push_back({"mm(group)", false,
                 over_links({either("a", "b"), either("b", "b"), either("a", "c"), either("b", "c"),
                             either("c", "c")})});
  all.push_back({"mm(~group, levels=c(\"a\", \"c\"), levels2=TRUE)", false,
                 over_links({either("a", "a"), either("a", "c"), either("c", "c")})});
  auto group_sex = [](const std::string& g, const std::string& s, bool both_ways) {
    return [=](const World& w, int a, int b) {
      double count = group(w, a) == g && sex(w, b) == s ? 1.0 : 0.0;
      if (both_ways) count += group(w, b) == g && sex(w, a) == s ? 1.0 : 0.0;
      return count;
    };
  };
  all.push_back({"mm(group~sex)", true,
                 over_links({group_sex("b", "F", false), group_sex("c", "F", false),
                             group_sex("a", "M", false), group_sex("b", "M", false),
                             group_sex("c", "M", false)})});
  all.push_back({"mm(group~sex, levels2=TRUE)", false,
                 over_links({group_sex("a", "F", true), group_sex("b", "F", true),
                             group_sex("c", "F", true), group_sex("a", "M", true),
                             group_sex("b", "M", true), group_sex("c", "M", true)})});
  all.push_back({"mm(group~.)", true, over_links({tail_in("b"), tail_in("c")})});
  all.push_back(
      {"mm(.~sex, levels2=TRUE)", false, over_links({ends_in("F", sex), ends_in("M", sex)})});
  return all;
}

std::vector<Case> operator_cases() {
  std::vector<Case> all;
  auto same = [](const World& w, int a, int b) { return group(w, a) == group(w, b); };
  for (bool directed : {true, false}) {
    all.push_back({"F(~edges + nodecov(score), ~nodematch(group))", directed,
                   over_links({[same](const World& w, int a, int b) { return same(w, a, b) * 1.0; },
                               [same](const World& w, int a, int b) {
                                 return same(w, a, b) ? score(w, a) + score(w, b) : 0.0;
                               }})});
    all.push_back({"nodematch(group):nodecov(score)", directed,
                   over_links({[same](const World& w, int a, int b) {
                     return same(w, a, b) ? score(w, a) + score(w, b) : 0.0;
                   }})});
  }
  all.push_back(
      {"F(~edges, ~!nodematch(group))", true,
       over_links({[same](const World& w, int a, int b) { return !same(w, a, b) * 1.0; }})});
  all.push_back({"F(~absdiff(score), ~absdiff(score) > 2)", false,
                 over_links({[](const World& w, int a, int b) {
                   const double d = std::fabs(score(w, a) - score(w, b));
                   return d > 2 ? d : 0.0;
                 }})});
  all.push_back({"F(~edges, filter=~absdiff(\"rank\") == 1)", true,
                 over_links({[](const World& w, int a, int b) {
                   return std::fabs(rank(w, a) - rank(w, b)) == 1 ? 1.0 : 0.0;
                 }})});
  auto absdiff = [](const World& w, int a, int b) { return std::fabs(score(w, a) - score(w, b)); };
  all.push_back({"edges*absdiff(score)", true,
                 over_links({[](const World&, int, int) { return 1.0; }, absdiff, absdiff})});
  auto times_score = [](OfLink f) {
    return [f](const World& w, int a, int b) { return f(w, a, b) * (score(w, a) + score(w, b)); };
  };
  all.push_back({"nodefactor(group):nodecov(score)", false,
                 over_links({times_score(ends_in("b")), times_score(ends_in("c"))})});
  auto same_sex = [](const World& w, int a, int b) { return sex(w, a) == sex(w, b) ? 1.0 : 0.0; };
  auto times_sex = [same_sex](OfLink f) {
    return [f, same_sex](const World& w, int a, int b) { return f(w, a, b) * same_sex(w, a, b); };
  };
  all.push_back({"nodefactor(group)*nodematch(sex)", true,
                 over_links({ends_in("b"), ends_in("c"), same_sex, times_sex(ends_in("b")),
                             times_sex(ends_in("c"))})});
  auto links = [](const Ties& x) {
    return over_pairs(x, [&](int a, int b) { return x(a, b) * 1.0; });
  };
  auto mutuals = [](const Ties& x) { return mutual_pairs(x, [](int, int) { return true; }); };
  all.push_back({"Sum(~edges + mutual, \"s\")", true, [=](const Ties& x, const World&) {
                   return std::vector<double>{links(x), mutuals(x)};
                 }});
  all.push_back({"Sum(list(~edges, 2~mutual), \"t\")", true, [=](const Ties& x, const World&) {
                   return std::vector<double>{links(x) + 2 * mutuals(x)};
                 }});
  auto stars = [](const Ties& x, int side) {
    double sum = 0;
    for (int a = 1; a <= x.n; ++a) sum += choose(degree(x, a, side), 2);
    return sum;
  };
  all.push_back({"Sum(\"sum\"~istar(2) + ostar(2), label=\"x\")", true,
                 one([=](const Ties& x, const World&) { return stars(x, 0) + stars(x, 1); })});
  all.push_back(
      {"Sum(\"mean\"~triangle + kstar(2), \"m\")", false, one([=](const Ties& x, const World&) {
         double triangles = 0;
         for (int a = 1; a <= x.n; ++a)
           for (int b = a + 1; b <= x.n; ++b)
             for (int c = b + 1; c <= x.n; ++c) triangles += x(a, b) * x(b, c) * x(a, c);
         return (triangles + stars(x, 2)) / 2;
       })});
  all.push_back({"Sum(~gwesp(0.5, fixed=TRUE), \"g\")", false,
                 one([](const Ties& x, const World&) { return gw_edgewise(x, "", 0.5); })});
  all.push_back({"Sum(c(~edges + nodematch(group), ~mutual + asymmetric), c(\"v\", \"u\"))", true,
                 [=](const Ties& x, const World& w) {
                   return std::vector<double>{
                       links(x) + mutuals(x),
                       over_pairs(x, [&](int a, int b) {
                         return x(a, b) && same(w, a, b) ? 1.0 : 0.0;
                       }) + asymmetric_pairs(x, [](int, int) { return true; })};
                 }});
  return all;
}

TEST(CatalogueTerms, DyadStatesAndDyadicCovariatesAgainstBruteForce) {
  std::mt19937 random(41);
  for (const Case& c : dyad_state_cases()) check_against_brute_force(c, random);
}

TEST(CatalogueTerms, DegreeFamiliesAgainstBruteForce) {
  std::mt19937 random(42);
  for (const Case& c : degree_cases()) check_against_brute_force(c, random);
}

TEST(CatalogueTerms, AttributeAndNodeTermsAgainstBruteForce) {
  std::mt19937 random(43);
  for (const Case& c : attribute_cases()) check_against_brute_force(c, random);
}

TEST(CatalogueTerms, OperatorsAgainstBruteForce) {
  std::mt19937 random(44);
  for (const Case& c : operator_cases()) check_against_brute_force(c, random);
}

}  // namespace
}  // namespace tarn
