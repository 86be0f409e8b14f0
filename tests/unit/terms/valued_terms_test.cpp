// ergm's valued terms against their definitions computed directly on the n x n matrix of counts
// (ergm's InitWtErgmTerm.R and its C change statistics): the statistics built from the empty
// network by setting the non-zero dyads one by one, every dyad's change to every value 0..4, and
// the statistics' names as ergm writes them; then the calls a model of counts refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/brute_catalogue.h"
#include "terms/valued_graph.h"

namespace tarn {
namespace {

using namespace test;
using namespace test::brute;

// Ties holds the counts: y(a, b), symmetric when undirected.
using Direct = std::function<std::vector<double>(const Ties&, const World&)>;
using Names = std::function<std::vector<std::string>(const World&)>;

enum class Kind { directed, undirected, both };

struct ValuedCase {
  std::string formula;
  Kind kind;
  Names names;
  Direct direct;
};

Names fixed(std::vector<std::string> names) {
  return [names](const World&) { return names; };
}

// The names stem + "2", ..., stem + n (every node but the first).
Names per_node(std::string stem) {
  return [stem](const World& w) {
    std::vector<std::string> out;
    for (int k = 2; k <= w.n; ++k) out.push_back(stem + std::to_string(k));
    return out;
  };
}

// One statistic per function of a dyad's value.
Direct per_dyad(std::vector<std::function<double(int)>> fs) {
  return [fs](const Ties& y, const World&) {
    std::vector<double> out;
    for (const auto& f : fs) out.push_back(over_pairs(y, [&](int a, int b) { return f(y(a, b)); }));
    return out;
  };
}

// form="sum": the value; form="nonzero": 1 for a non-zero value.
double form_weight(bool sum, int value) {
  return sum ? value : (value != 0 ? 1.0 : 0.0);
}

// One statistic per function of a dyad's ends, weighted by the dyad's form weight.
Direct by_ends(bool sum, std::vector<std::function<double(const World&, int, int)>> fs) {
  return [sum, fs](const Ties& y, const World& w) {
    std::vector<double> out;
    for (const auto& f : fs) {
      out.push_back(
          over_pairs(y, [&](int a, int b) { return form_weight(sum, y(a, b)) * f(w, a, b); }));
    }
    return out;
  };
}

// A statistic per node 2..n: f(a, b, k) summed over the dyads, weighted by the form.
Direct by_node(bool sum, std::function<double(int a, int b, int k)> f) {
  return [sum, f](const Ties& y, const World&) {
    std::vector<double> out;
    for (int k = 2; k <= y.n; ++k) {
      out.push_back(
          over_pairs(y, [&](int a, int b) { return form_weight(sum, y(a, b)) * f(a, b, k); }));
    }
    return out;
  };
}

enum class Pick { min, geomean, max, sum };

double pick(Pick p, double a, double b) {
  switch (p) {
    case Pick::min:
      return std::min(a, b);
    case Pick::geomean:
      return std::sqrt(a * b);
    case Pick::max:
      return std::max(a, b);
    case Pick::sum:
      break;
  }
  return a + b;
}

// Krivitsky's (2012) transitive weights, eq. 13, and the cyclical ones: over the dyads (i, j),
// affect(y_ij, combine over k of twopath(legs)), the legs i->k->j (transitive) or j->k->i
// (cyclical); the ties forms count values above the threshold as 1, others as 0.
double closure(const Ties& y, bool cyclical, Pick twopath, Pick combine, Pick affect,
               const double* threshold) {
  auto s = [&](int v) { return threshold ? (v > *threshold ? 1.0 : 0.0) : double(v); };
  return over_pairs(y, [&](int i, int j) {
    double combined = 0;
    for (int k = 1; k <= y.n; ++k) {
      if (k == i || k == j) continue;
      const double first = cyclical ? s(y(j, k)) : s(y(i, k));
      const double second = cyclical ? s(y(k, i)) : s(y(k, j));
      const double path = pick(twopath, first, second);
      combined = combine == Pick::max ? std::max(combined, path) : combined + path;
    }
    return pick(affect, s(y(i, j)), combined);
  });
}

// ergm's node covariances: over each node, the products of its pairs of dyads' (transformed)
// values, over n - 2; undirected the pairs j < k, directed (nodeocovar, nodeicovar) the ordered
// pairs j != k, as ergm's change statistics (2 * diff * ...) and its tests count them.
double covariance(const Ties& y, char side, bool square_root) {
  auto t = [&](int v) { return square_root ? std::sqrt(double(v)) : double(v); };
  double sum = 0;
  for (int i = 1; i <= y.n; ++i)
    for (int j = 1; j <= y.n; ++j)
      for (int k = 1; k <= y.n; ++k) {
        if (i == j || i == k || j == k || (side == 'u' && j > k)) continue;
        sum += side == 'i' ? t(y(j, i)) * t(y(k, i)) : t(y(i, j)) * t(y(i, k));
      }
  return sum / (y.n - 2);
}

const char* pick_name(Pick p) {
  return p == Pick::min ? "min" : p == Pick::geomean ? "geomean" : p == Pick::max ? "max" : "sum";
}

void add_closure_cases(std::vector<ValuedCase>& all) {
  for (const bool cyclical : {false, true}) {
    const std::string stem = cyclical ? "cyclicalweights" : "transitiveweights";
    for (const Pick twopath : {Pick::min, Pick::geomean})
      for (const Pick combine : {Pick::max, Pick::sum})
        for (const Pick affect : {Pick::min, Pick::geomean}) {
          const std::string options =
              std::string(pick_name(twopath)) + "." + pick_name(combine) + "." + pick_name(affect);
          const std::string formula = stem + "(twopath=\"" + pick_name(twopath) + "\", combine=\"" +
                                      pick_name(combine) + "\", affect=\"" + pick_name(affect) +
                                      "\")";
          all.push_back({formula, Kind::both, fixed({stem + "." + options}),
                         one([=](const Ties& y, const World&) {
                           return closure(y, cyclical, twopath, combine, affect, nullptr);
                         })});
        }
    all.push_back(
        {stem, Kind::both, fixed({stem + ".min.max.min"}), one([=](const Ties& y, const World&) {
           return closure(y, cyclical, Pick::min, Pick::max, Pick::min, nullptr);
         })});
    const std::string ties = cyclical ? "cyclicalties" : "transitiveties";
    for (const double threshold : {0.0, 1.0, 2.5}) {
      // The entry is the binary term's, of directed networks only.
      all.push_back({ties + "(threshold=" + r_number_text(threshold) + ")", Kind::directed,
                     fixed({ties}), one([=](const Ties& y, const World&) {
                       return closure(y, cyclical, Pick::min, Pick::max, Pick::min, &threshold);
                     })});
    }
  }
}

// The distinct non-zero differences of rank (ranks 1..4) between two nodes.
std::set<int> rank_differences(const World& w) {
  std::set<int> out;
  for (int a = 1; a <= w.n; ++a)
    for (int b = 1; b <= w.n; ++b)
      if (rank(w, a) != rank(w, b)) out.insert(int(std::fabs(rank(w, a) - rank(w, b))));
  return out;
}

void add_form_cases(std::vector<ValuedCase>& all) {
  for (const bool sum : {true, false}) {
    const std::string form = sum ? "sum" : "nonzero";
    const std::string written = sum ? "" : ", form=\"nonzero\"";
    auto level_is = [](const char* level) {
      return [level](const World& w, int a, int b) {
        return double(group(w, a) == level) + double(group(w, b) == level);
      };
    };
    all.push_back(
        {"nodecov(score" + written + ")", Kind::both, fixed({"nodecov." + form + ".score"}),
         by_ends(sum, {[](const World& w, int a, int b) { return score(w, a) + score(w, b); }})});
    all.push_back({"nodeocov(score" + written + ")", Kind::directed,
                   fixed({"nodeocov." + form + ".score"}),
                   by_ends(sum, {[](const World& w, int a, int) { return score(w, a); }})});
    all.push_back({"nodeicov(rank" + written + ")", Kind::directed,
                   fixed({"nodeicov." + form + ".rank"}),
                   by_ends(sum, {[](const World& w, int, int b) { return rank(w, b); }})});
    all.push_back({"nodematch(group" + written + ")", Kind::both,
                   fixed({"nodematch." + form + ".group"}),
                   by_ends(sum, {[](const World& w, int a, int b) {
                             return double(group(w, a) == group(w, b));
                           }})});
    std::vector<std::function<double(const World&, int, int)>> matches;
    for (const char* level : {"a", "b", "c"}) {
      matches.push_back([level](const World& w, int a, int b) {
        return double(group(w, a) == level && group(w, b) == level);
      });
    }
    all.push_back({"nodematch(group, diff=TRUE" + written + ")", Kind::both,
                   fixed({"nodematch." + form + ".group.a", "nodematch." + form + ".group.b",
                          "nodematch." + form + ".group.c"}),
                   by_ends(sum, matches)});
    all.push_back({"nodefactor(group" + written + ")", Kind::both,
                   fixed({"nodefactor." + form + ".group.b", "nodefactor." + form + ".group.c"}),
                   by_ends(sum, {level_is("b"), level_is("c")})});
    all.push_back({"absdiff(score" + written + ")", Kind::both,
                   fixed({"absdiff." + form + ".score"}),
                   by_ends(sum, {[](const World& w, int a, int b) {
                             return std::fabs(score(w, a) - score(w, b));
                           }})});
    all.push_back({"absdiff(score, pow=2" + written + ")", Kind::both,
                   fixed({"absdiff." + form + "2.score"}),
                   by_ends(sum, {[](const World& w, int a, int b) {
                             return std::pow(score(w, a) - score(w, b), 2);
                           }})});
    all.push_back(
        {"edgecov(cov" + written + ")", Kind::directed, fixed({"edgecov." + form + ".cov"}),
         by_ends(sum,
                 {[](const World& w, int a, int b) { return covariate(w, "cov", true, a, b); }})});
    all.push_back(
        {"edgecov(cov" + written + ")", Kind::undirected, fixed({"edgecov." + form + ".cov"}),
         by_ends(sum,
                 {[](const World& w, int a, int b) { return covariate(w, "cov", false, a, b); }})});
    all.push_back({"sender(" + std::string(sum ? "" : "form=\"nonzero\"") + ")", Kind::directed,
                   per_node("sender." + form),
                   by_node(sum, [](int a, int, int k) { return double(a == k); })});
    all.push_back({"receiver(" + std::string(sum ? "" : "form=\"nonzero\"") + ")", Kind::directed,
                   per_node("receiver." + form),
                   by_node(sum, [](int, int b, int k) { return double(b == k); })});
    all.push_back(
        {"sociality(" + std::string(sum ? "" : "form=\"nonzero\"") + ")", Kind::undirected,
         per_node("sociality." + form),
         by_node(sum, [](int a, int b, int k) { return double(a == k) + double(b == k); })});
    all.push_back(
        {"nodeofactor(group" + written + ")", Kind::directed,
         fixed({"nodeofactor." + form + ".group.b", "nodeofactor." + form + ".group.c"}),
         by_ends(sum, {[](const World& w, int a, int) { return double(group(w, a) == "b"); },
                       [](const World& w, int a, int) { return double(group(w, a) == "c"); }})});
    all.push_back(
        {"nodeifactor(group" + written + ")", Kind::directed,
         fixed({"nodeifactor." + form + ".group.b", "nodeifactor." + form + ".group.c"}),
         by_ends(sum, {[](const World& w, int, int b) { return double(group(w, b) == "b"); },
                       [](const World& w, int, int b) { return double(group(w, b) == "c"); }})});
    all.push_back(
        {"diff(score" + written + ")", Kind::directed, fixed({"diff." + form + ".t-h.score"}),
         by_ends(sum, {[](const World& w, int a, int b) { return score(w, a) - score(w, b); }})});
    // absdiffcat: a statistic per distinct non-zero difference of rank, named as absdiff's.
    all.push_back({"absdiffcat(rank" + written + ")", Kind::both,
                   [form](const World& w) {
                     std::vector<std::string> names;
                     for (int d = 1; d <= 3; ++d)
                       if (rank_differences(w).count(d)) {
                         names.push_back("absdiff." + form + ".rank." + std::to_string(d));
                       }
                     return names;
                   },
                   [sum](const Ties& y, const World& w) {
                     std::vector<double> out;
                     for (int d = 1; d <= 3; ++d) {
                       if (!rank_differences(w).count(d)) continue;
                       out.push_back(over_pairs(y, [&](int a, int b) {
                         return form_weight(sum, y(a, b)) *
                                double(std::fabs(rank(w, a) - rank(w, b)) == d);
                       }));
                     }
                     return out;
                   }});
    // nodemix: ergm's cells in its order (directed: by column of the level table; undirected: its
    // upper triangle by column), the first cell left out. ergm's valued nodemix keeps the binary
    // names ("mix."): binary_dind_wrap looks for "nodemix" in them, which is not there.
    const std::vector<std::pair<const char*, const char*>> directed_cells = {
        {"b", "a"}, {"c", "a"}, {"a", "b"}, {"b", "b"},
        {"c", "b"}, {"a", "c"}, {"b", "c"}, {"c", "c"}};
    const std::vector<std::pair<const char*, const char*>> undirected_cells = {
        {"a", "b"}, {"b", "b"}, {"a", "c"}, {"b", "c"}, {"c", "c"}};
    for (const bool directed : {true, false}) {
      std::vector<std::string> names;
      std::vector<std::function<double(const World&, int, int)>> cells;
      for (const auto& [row, column] : directed ? directed_cells : undirected_cells) {
        names.push_back(std::string("mix.group.") + row + "." + column);
        const std::string r = row, c = column;
        cells.push_back([r, c, directed](const World& w, int a, int b) {
          const bool forward = group(w, a) == r && group(w, b) == c;
          const bool backward = group(w, b) == r && group(w, a) == c;
          return double(forward || (!directed && backward));
        });
      }
      all.push_back({"nodemix(group" + written + ")", directed ? Kind::directed : Kind::undirected,
                     fixed(names), by_ends(sum, cells)});
    }
  }
}

std::vector<ValuedCase> valued_cases() {
  std::vector<ValuedCase> all;
  auto count_if = [](std::function<bool(int)> holds) {
    return [holds](int v) { return holds(v) ? 1.0 : 0.0; };
  };
  all.push_back({"sum", Kind::both, fixed({"sum"}), per_dyad({[](int v) { return double(v); }})});
  for (const double pow : {2.0, 0.5, 1.5, 3.0}) {
    all.push_back({"sum(pow=" + r_number_text(pow) + ")", Kind::both,
                   fixed({"sum" + r_number_text(pow)}),
                   per_dyad({[pow](int v) { return std::pow(double(v), pow); }})});
  }
  all.push_back({"nonzero", Kind::both, fixed({"nonzero"}),
                 per_dyad({count_if([](int v) { return v != 0; })})});
  all.push_back({"edges", Kind::both, fixed({"nonzero"}),
                 per_dyad({count_if([](int v) { return v != 0; })})});
  all.push_back(
      {"atleast(threshold=c(0, 1, 2.5, 4))", Kind::both,
       fixed({"atleast.0", "atleast.1", "atleast.2.5", "atleast.4"}),
       per_dyad({count_if([](int v) { return v >= 0; }), count_if([](int v) { return v >= 1; }),
                 count_if([](int v) { return v >= 2.5; }),
                 count_if([](int v) { return v >= 4; })})});
  all.push_back({"atleast", Kind::both, fixed({"atleast.0"}),
                 per_dyad({count_if([](int v) { return v >= 0; })})});
  all.push_back(
      {"atmost(c(-1, 0, 2))", Kind::both, fixed({"atmost.-1", "atmost.0", "atmost.2"}),
       per_dyad({count_if([](int v) { return v <= -1; }), count_if([](int v) { return v <= 0; }),
                 count_if([](int v) { return v <= 2; })})});
  all.push_back(
      {"greaterthan(c(0, 1.5, 3))", Kind::both,
       fixed({"greaterthan.0", "greaterthan.1.5", "greaterthan.3"}),
       per_dyad({count_if([](int v) { return v > 0; }), count_if([](int v) { return v > 1.5; }),
                 count_if([](int v) { return v > 3; })})});
  all.push_back(
      {"smallerthan(c(1, 3, 0.5))", Kind::both,
       fixed({"smallerthan.1", "smallerthan.3", "smallerthan.0.5"}),
       per_dyad({count_if([](int v) { return v < 1; }), count_if([](int v) { return v < 3; }),
                 count_if([](int v) { return v < 0.5; })})});
  all.push_back({"equalto(1, 0.5)", Kind::both, fixed({"equalto.1.pm.0.5"}),
                 per_dyad({count_if([](int v) { return std::fabs(v - 1.0) <= 0.5; })})});
  all.push_back({"equalto(value=3, tolerance=1)", Kind::both, fixed({"equalto.3.pm.1"}),
                 per_dyad({count_if([](int v) { return std::fabs(v - 3.0) <= 1; })})});
  all.push_back({"equalto", Kind::both, fixed({"equalto.0.pm.0"}),
                 per_dyad({count_if([](int v) { return v == 0; })})});
  all.push_back({"ininterval(1, 3, open=c(FALSE, TRUE))", Kind::both, fixed({"ininterval[1,3)"}),
                 per_dyad({count_if([](int v) { return v >= 1 && v < 3; })})});
  all.push_back({"ininterval(1, 3)", Kind::both, fixed({"ininterval(1,3)"}),
                 per_dyad({count_if([](int v) { return v > 1 && v < 3; })})});
  all.push_back({"ininterval(lower=0, upper=2, open=\"(]\")", Kind::both,
                 fixed({"ininterval(0,2]"}),
                 per_dyad({count_if([](int v) { return v > 0 && v <= 2; })})});
  all.push_back({"ininterval(0, 4, open=FALSE)", Kind::both, fixed({"ininterval[0,4]"}),
                 per_dyad({count_if([](int v) { return v >= 0 && v <= 4; })})});
  all.push_back({"ininterval(upper=2, open=\"[]\")", Kind::both, fixed({"ininterval[-Inf,2]"}),
                 per_dyad({count_if([](int v) { return v <= 2; })})});
  all.push_back({"ininterval", Kind::both, fixed({"ininterval(-Inf,Inf)"}),
                 per_dyad({count_if([](int) { return true; })})});
  all.push_back(
      {"CMP", Kind::both, fixed({"CMP"}), per_dyad({[](int v) { return std::lgamma(v + 1.0); }})});

  const std::vector<std::pair<std::string, std::function<double(int, int)>>> mutual_forms = {
      {"min", [](int a, int b) { return double(std::min(a, b)); }},
      {"nabsdiff", [](int a, int b) { return -std::fabs(double(a - b)); }},
      {"product", [](int a, int b) { return double(a) * b; }},
      {"geometric", [](int a, int b) { return std::sqrt(double(a) * b); }}};
  auto mutual = [](std::function<double(int, int)> f) {
    return one([f](const Ties& y, const World&) {
      return over_unordered_pairs(y, [&](int a, int b) { return f(y(a, b), y(b, a)); });
    });
  };
  for (const auto& [form, f] : mutual_forms) {
    const std::string name = form == "geometric" ? "mutual.geom.mean" : "mutual." + form;
    all.push_back({"mutual(form=\"" + form + "\")", Kind::directed, fixed({name}), mutual(f)});
  }
  all.push_back({"mutual", Kind::directed, fixed({"mutual.min"}), mutual(mutual_forms[0].second)});

  add_closure_cases(all);

  struct Covariance {
    const char* formula;
    Kind kind;
    const char* name;
    char side;
    bool square_root;
  };
  for (const Covariance& c : std::vector<Covariance>{
           {"nodecovar", Kind::undirected, "nodecovar", 'u', false},
           {"nodecovar(transform=\"sqrt\")", Kind::undirected, "nodecovar", 'u', true},
           {"nodecovar(center=FALSE, transform=\"identity\")", Kind::undirected, "nodecovar", 'u',
            false},
           {"nodesqrtcovar", Kind::undirected, "nodecovar", 'u', true},
           {"nodeocovar", Kind::directed, "nodeocovar", 'o', false},
           {"nodeocovar(transform=\"sqrt\")", Kind::directed, "nodeocovar", 'o', true},
           {"nodeicovar", Kind::directed, "nodeicovar", 'i', false},
           {"nodeicovar(transform=\"sqrt\")", Kind::directed, "nodeicovar", 'i', true}}) {
    all.push_back({c.formula, c.kind, fixed({c.name}), one([c](const Ties& y, const World&) {
                     return covariance(y, c.side, c.square_root);
                   })});
  }

  add_form_cases(all);
  return all;
}

// Our own mapping of the engine's numbers: a unit number from the top 53 bits, an integer by
// remainder (the bias of 2^64 mod k is immaterial here).
double unit(std::mt19937_64& engine) {
  return double(engine() >> 11) * 0x1.0p-53;
}
int below(std::mt19937_64& engine, int limit) {
  return int(engine() % std::uint64_t(limit));
}

// A network of counts 1..4 on a share `density` of its dyads, 0 elsewhere.
Ties counts_of(int n, bool directed, double density, std::mt19937_64& engine) {
  Ties y;
  y.n = n;
  y.directed = directed;
  y.x.assign(std::size_t(n) + 1, std::vector<int>(std::size_t(n) + 1, 0));
  for (int a = 1; a <= n; ++a)
    for (int b = directed ? 1 : a + 1; b <= n; ++b) {
      if (a == b || unit(engine) >= density) continue;
      const int value = 1 + below(engine, 4);
      y.x[std::size_t(a)][std::size_t(b)] = value;
      if (!directed) y.x[std::size_t(b)][std::size_t(a)] = value;
    }
  return y;
}

void set_value(Ties& y, int a, int b, int value) {
  y.x[std::size_t(a)][std::size_t(b)] = value;
  if (!y.directed) y.x[std::size_t(b)][std::size_t(a)] = value;
}

void check_on_network(const ValuedCase& c, const Ties& y, const World& w, std::mt19937_64& engine) {
  const int n = y.n;
  NodeCovariates attributes;
  const TermContext context = context_of(w, y.directed, attributes);
  const ValuedTermPointer term = make_valued_term(parse_term(c.formula), context);
  const std::string what =
      c.formula + (y.directed ? " directed" : " undirected") + ", n " + std::to_string(n);
  ASSERT_EQ(term->statistic_names(), c.names(w)) << what;
  const auto m = std::size_t(term->statistic_count());

  // The statistics: those of the empty network plus the changes of setting the non-zero dyads,
  // in a shuffled order (the sum may not depend on it).
  std::vector<std::pair<int, int>> dyads;
  for (int a = 1; a <= n; ++a)
    for (int b = y.directed ? 1 : a + 1; b <= n; ++b)
      if (a != b && y(a, b) != 0) dyads.emplace_back(a, b);
  for (std::size_t k = dyads.size(); k > 1; --k) {
    std::swap(dyads[k - 1], dyads[std::size_t(below(engine, int(k)))]);
  }
  ValuedGraph g(n, y.directed);
  std::vector<double> statistics(m);
  term->empty_statistics(g, statistics.data());
  for (const auto& [a, b] : dyads) {
    // Undirected, the dyad is asked for by either order of its nodes.
    const bool swap = !y.directed && below(engine, 2) == 1;
    term->add_change(g, swap ? b : a, swap ? a : b, y(a, b), statistics.data());
    g.set(a, b, y(a, b));
  }
  const std::vector<double> direct = c.direct(y, w);
  expect_near(statistics, direct, what + ", statistics");

  // Every dyad's change to every value, against the difference of the direct statistics.
  for (int a = 1; a <= n; ++a)
    for (int b = 1; b <= n; ++b) {
      if (a == b) continue;
      for (int to = 0; to <= 4; ++to) {
        Ties moved = y;
        set_value(moved, a, b, to);
        const std::vector<double> after = c.direct(moved, w);
        std::vector<double> want(m), got(m, 0.0);
        for (std::size_t s = 0; s < m; ++s) want[s] = after[s] - direct[s];
        term->add_change(g, a, b, to, got.data());
        expect_near(got, want,
                    what + ", dyad " + std::to_string(a) + "," + std::to_string(b) + " to " +
                        std::to_string(to));
      }
    }
}

TEST(ValuedTerms, AgainstDirectDefinitions) {
  std::mt19937_64 engine(20261210);
  std::mt19937 attribute_random(7);
  struct Shape {
    int n;
    double density;
  };
  // Sparse, dense, full and empty networks of 5 to 7 nodes.
  const std::vector<Shape> shapes = {{5, 0.3}, {6, 0.85}, {7, 0.5}, {5, 1.0}, {6, 0.0}};
  std::vector<std::pair<Ties, World>> networks;
  for (const bool directed : {true, false})
    for (const Shape& s : shapes) {
      networks.emplace_back(counts_of(s.n, directed, s.density, engine),
                            world_of(s.n, attribute_random));
    }
  int checked = 0;
  for (const ValuedCase& c : valued_cases())
    for (const auto& [y, w] : networks) {
      if ((c.kind == Kind::directed && !y.directed) || (c.kind == Kind::undirected && y.directed))
        continue;
      check_on_network(c, y, w, engine);
      ++checked;
    }
  EXPECT_GT(checked, 400);
}

// A name is one entry of the table: a second entry of the name would never be found.
TEST(ValuedTerms, OneEntryPerName) {
  std::set<std::string_view> seen;
  for (const TermEntry* entry : term_table()) {
    EXPECT_TRUE(seen.insert(entry->name).second) << entry->name << " has two entries";
  }
}

// The calls a model of counts refuses, each with a word of its message.
TEST(ValuedTerms, Refusals) {
  struct Refusal {
    std::string formula;
    bool directed;
    bool valued;  // made by make_valued_term; false: by the binary make_term
    std::string says;
  };
  const std::vector<Refusal> refusals = {
      {"gwesp(0.5, fixed=TRUE)", true, true, "binary networks"},
      {"triangle", false, true, "binary networks"},
      {"sum", true, false, "valued networks"},
      {"CMP", false, false, "valued networks"},
      {"transitiveweights", true, false, "valued networks"},
      {"nodecov(score, form=\"mean\")", true, true, "form"},
      {"nodematch(group, form=\"max\")", false, true, "form"},
      {"sender(form=TRUE)", true, true, "form"},
      {"mutual(form=\"max\")", true, true, "form"},
      {"mutual(form=\"threshold\", threshold=1)", true, true, "threshold"},
      {"mutual(form=\"min\")", false, true, "directed network"},
      {"nodeocovar", false, true, "directed network"},
      {"nodecovar", true, true, "nodeocovar"},
      {"nodecovar(center=TRUE)", false, true, "center"},
      {"nodeocovar(center=TRUE)", true, true, "center"},
      {"nodeicovar(transform=\"log\")", true, true, "transform"},
      {"offset(sum)", true, true, "offsets"},
      {"sum:nonzero", true, true, "interactions"},
      {"ininterval(1, 3, open=\"[[\")", true, true, "open"},
      {"ininterval(1, 3, open=\"(\")", true, true, "open"},
      {"ininterval(1, 3, open=c(TRUE, FALSE, TRUE))", true, true, "open"},
      {"ininterval(3, 1)", true, true, "upper"},
      {"equalto(1, tolerance=-1)", true, true, "tolerance"},
      {"transitiveweights(twopath=\"max\")", true, true, "twopath"},
      {"cyclicalweights(combine=\"min\")", true, true, "combine"},
      {"transitiveweights(affect=\"sum\")", false, true, "affect"},
      {"sum(power=2)", true, true, "power"},
      {"sum(pow=-1)", false, true, "pow"},
      {"atleast(threshold=\"x\")", true, true, "threshold"},
  };
  World w;
  std::mt19937 attribute_random(7);
  w = world_of(5, attribute_random);
  for (const Refusal& r : refusals) {
    NodeCovariates attributes;
    const TermContext context = context_of(w, r.directed, attributes);
    try {
      const TermCall call = parse_term(r.formula);
      if (r.valued) {
        make_valued_term(call, context);
      } else {
        make_term(call, context);
      }
      ADD_FAILURE() << r.formula << " was accepted";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(r.says), std::string::npos)
          << r.formula << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace tarn
