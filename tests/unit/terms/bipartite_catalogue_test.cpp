// The terms of two-mode networks (stars, degrees, sociality, shared partners within a mode,
// two-stars, star mixing, b1nodematch/b2nodematch and the rest), against brute force on random
// two-mode networks: each statistic counted from the 0/1 matrix of ties by its definition, and the
// change of every dyad between the modes (asked both ways round) and its sender row against the
// difference of those counts with and without the link.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/brute_catalogue.h"

namespace tarn::test {
namespace {

using brute::group;

using Counts = std::vector<double>;
// The brute force: the statistics of x, nodes 1..first the first mode.
using TwoModeBrute = std::function<Counts(const Ties&, const World&, int first)>;

struct Row {
  std::string formula;
  TwoModeBrute brute;
};

bool in_mode(int a, int mode, int first) {
  return (a <= first) == (mode == 1);
}

// The sorted groups of a mode's nodes.
std::vector<std::string> groups_of(const World& w, int mode, int first) {
  std::set<std::string> levels;
  for (int a = 1; a <= w.n; ++a)
    if (in_mode(a, mode, first)) levels.insert(group(w, a));
  return {levels.begin(), levels.end()};
}

int position(const std::vector<std::string>& levels, const std::string& level) {
  return static_cast<int>(std::find(levels.begin(), levels.end(), level) - levels.begin());
}

// Each node of the mode but the first: its degree; by_group: its links to its own group.
TwoModeBrute sociality(int mode, bool by_group) {
  return [=](const Ties& x, const World& w, int first) {
    Counts out;
    bool first_node = true;
    for (int a = 1; a <= x.n; ++a) {
      if (!in_mode(a, mode, first)) continue;
      if (first_node) {
        first_node = false;
        continue;
      }
      double d = 0.0;
      for (int b = 1; b <= x.n; ++b) d += x(a, b) && (!by_group || group(w, a) == group(w, b));
      out.push_back(d);
    }
    return out;
  };
}

// f(degree) per group of the mode's nodes (the first `most` groups), the bins varying fastest.
TwoModeBrute by_group(int mode, std::function<Counts(int)> f, std::size_t most = 9) {
  return [=](const Ties& x, const World& w, int first) {
    std::vector<std::string> levels = groups_of(w, mode, first);
    if (levels.size() > most) levels.resize(most);
    const std::size_t bins = f(0).size();
    Counts out(levels.size() * bins, 0.0);
    for (int a = 1; a <= x.n; ++a) {
      if (!in_mode(a, mode, first)) continue;
      const std::size_t level = std::size_t(position(levels, group(w, a)));
      if (level >= levels.size()) continue;
      const Counts v = f(degree(x, a, 2));
      for (std::size_t b = 0; b < bins; ++b) out[level * bins + b] += v[b];
    }
    return out;
  };
}

// The sum over pairs of the mode's nodes of f(common neighbours).
TwoModeBrute pair_sum(int mode, std::function<Counts(int)> f) {
  return [=](const Ties& x, const World&, int first) {
    Counts out(f(0).size(), 0.0);
    for (int a = 1; a <= x.n; ++a)
      for (int b = a + 1; b <= x.n; ++b) {
        if (!in_mode(a, mode, first) || !in_mode(b, mode, first)) continue;
        const Counts v = f(partners(x, "", a, b));
        for (std::size_t s = 0; s < out.size(); ++s) out[s] += v[s];
      }
    return out;
  };
}

// The sum over the mode's nodes of f(degree).
TwoModeBrute node_sum(int mode, std::function<Counts(int)> f) {
  return [=](const Ties& x, const World&, int first) {
    Counts out(f(0).size(), 0.0);
    for (int a = 1; a <= x.n; ++a) {
      if (!in_mode(a, mode, first)) continue;
      const Counts v = f(degree(x, a, 2));
      for (std::size_t s = 0; s < out.size(); ++s) out[s] += v[s];
    }
    return out;
  };
}

// Indicators of k = 1..K.
std::function<Counts(int)> counts_to(int most) {
  return [most](int k) {
    Counts v(std::size_t(most), 0.0);
    if (k >= 1 && k <= most) v[std::size_t(k - 1)] = 1.0;
    return v;
  };
}

// Two-stars centred on the mode's nodes, group by group: ergm's cells, the centre's group
// fastest, then the lower leaf group, then the higher.
TwoModeBrute twostars(int mode) {
  return [=](const Ties& x, const World& w, int first) {
    const std::vector<std::string> rows = groups_of(w, mode, first),
                                   leaves = groups_of(w, 3 - mode, first);
    std::map<std::vector<int>, double> count;
    for (int a = 1; a <= x.n; ++a) {
      if (!in_mode(a, mode, first)) continue;
      for (int u = 1; u <= x.n; ++u)
        for (int v = u + 1; v <= x.n; ++v) {
          if (!x(a, u) || !x(a, v)) continue;
          int c = position(leaves, group(w, u));
          int c2 = position(leaves, group(w, v));
          count[{position(rows, group(w, a)), std::min(c, c2), std::max(c, c2)}]++;
        }
    }
    Counts out;
    for (int c2 = 0; c2 < int(leaves.size()); ++c2)
      for (int c = 0; c <= c2; ++c)
        for (int r = 0; r < int(rows.size()); ++r) out.push_back(count[{r, c, c2}]);
    return out;
  };
}

// k-stars centred on the mode's nodes whose leaves share a group: per (b1 group, b2 group), the
// b1 group fastest; without diff per centre group.
TwoModeBrute starmix(int mode, int k, bool diff) {
  return [=](const Ties& x, const World& w, int first) {
    const std::vector<std::string> b1 = groups_of(w, 1, first), b2 = groups_of(w, 2, first);
    std::map<std::pair<std::string, std::string>, double> count;  // (centre, leaf) groups
    for (int a = 1; a <= x.n; ++a) {
      if (!in_mode(a, mode, first)) continue;
      for (const std::string& leaf : mode == 1 ? b2 : b1) {
        int n_leaf = 0;
        for (int v = 1; v <= x.n; ++v) n_leaf += x(a, v) && group(w, v) == leaf;
        count[{group(w, a), leaf}] += choose(n_leaf, k);
      }
    }
    Counts out;
    if (diff) {
      for (const std::string& y : b2)
        for (const std::string& g : b1) out.push_back(mode == 1 ? count[{g, y}] : count[{y, g}]);
    } else {
      for (const std::string& c : mode == 1 ? b1 : b2) {
        double sum = 0.0;
        for (const std::string& leaf : mode == 1 ? b2 : b1) sum += count[{c, leaf}];
        out.push_back(sum);
      }
    }
    return out;
  };
}

// b1nodematch/b2nodematch discounted: alpha, the pairs of one group raised to alpha; beta, per
// node of the other mode and group with m such neighbours, m/2 (m-1)^beta.
TwoModeBrute discounted_match(int mode, bool alpha, double exponent, bool diff) {
  return [=](const Ties& x, const World& w, int first) {
    const std::vector<std::string> levels = groups_of(w, mode, first);
    Counts per_level(levels.size(), 0.0);
    if (alpha) {
      for (int a = 1; a <= x.n; ++a)
        for (int b = a + 1; b <= x.n; ++b) {
          if (!in_mode(a, mode, first) || !in_mode(b, mode, first)) continue;
          if (group(w, a) != group(w, b)) continue;
          const int s = partners(x, "", a, b);
          if (s > 0) per_level[std::size_t(position(levels, group(w, a)))] += std::pow(s, exponent);
        }
    } else {
      for (int k = 1; k <= x.n; ++k) {
        if (in_mode(k, mode, first)) continue;
        for (std::size_t l = 0; l < levels.size(); ++l) {
          int m = 0;
          for (int a = 1; a <= x.n; ++a) m += x(k, a) && group(w, a) == levels[l];
          if (m >= 2) per_level[l] += 0.5 * m * std::pow(m - 1, exponent);
        }
      }
    }
    if (diff) return per_level;
    double total = 0.0;
    for (double v : per_level) total += v;
    return Counts{total};
  };
}

// b1nodematch(match, byb2attr=split) (b2nodematch with byb1attr): kind 0 plain, 1 alpha, 2 beta;
// per (level of `match`, level of `split` among the other mode's nodes), the latter fastest.
TwoModeBrute split_match(int mode, int kind, double exponent, bool diff) {
  return [=](const Ties& x, const World& w, int first) {
    // Mode 1 matches on sex and splits by the second mode's group; mode 2 the other way round.
    const auto& match = mode == 1 ? w.sex : w.group;
    const auto& split = mode == 1 ? w.group : w.sex;
    std::set<std::string> match_set, split_set;
    for (int a = 1; a <= x.n; ++a) {
      const bool mine = in_mode(a, mode, first);
      (mine ? match_set : split_set).insert((mine ? match : split)[std::size_t(a - 1)]);
    }
    const std::vector<std::string> levels(match_set.begin(), match_set.end()),
        parts(split_set.begin(), split_set.end());
    Counts out(levels.size() * parts.size(), 0.0);
    auto at = [&](std::size_t l, std::size_t v) -> double& {
      return out[(diff ? l * parts.size() : 0) + v];
    };
    for (std::size_t l = 0; l < levels.size(); ++l)
      for (std::size_t v = 0; v < parts.size(); ++v) {
        if (kind == 1) {
          for (int a = 1; a <= x.n; ++a)
            for (int b = a + 1; b <= x.n; ++b) {
              if (!in_mode(a, mode, first) || !in_mode(b, mode, first)) continue;
              if (match[std::size_t(a - 1)] != levels[l] || match[std::size_t(b - 1)] != levels[l])
                continue;
              int s = 0;
              for (int k = 1; k <= x.n; ++k)
                s += x(a, k) && x(b, k) && split[std::size_t(k - 1)] == parts[v];
              if (s > 0) at(l, v) += std::pow(s, exponent);
            }
          continue;
        }
        for (int k = 1; k <= x.n; ++k) {
          if (in_mode(k, mode, first) || split[std::size_t(k - 1)] != parts[v]) continue;
          int m = 0;
          for (int a = 1; a <= x.n; ++a) m += x(k, a) && match[std::size_t(a - 1)] == levels[l];
          if (m >= 2) at(l, v) += kind == 0 ? choose(m, 2) : 0.5 * m * std::pow(m - 1, exponent);
        }
      }
    if (!diff) out.resize(parts.size());
    return out;
  };
}

// f(a, b) summed over the links a < b.
TwoModeBrute link_sum(std::function<Counts(const World&, int a, int b)> f) {
  return [=](const Ties& x, const World& w, int) {
    Counts out;
    for (int a = 1; a <= x.n; ++a)
      for (int b = a + 1; b <= x.n; ++b) {
        if (!x(a, b)) continue;
        const Counts v = f(w, a, b);
        out.resize(v.size(), 0.0);
        for (std::size_t s = 0; s < v.size(); ++s) out[s] += v[s];
      }
    if (out.empty()) out = f(w, 1, 2), std::fill(out.begin(), out.end(), 0.0);
    return out;
  };
}

// nodemix on a two-mode network: the links by (first-mode group, second-mode group), the first
// group varying fastest, the first cell left out.
Counts mixing(const Ties& x, const World& w, int first) {
  const std::vector<std::string> b1 = groups_of(w, 1, first), b2 = groups_of(w, 2, first);
  Counts out;
  for (const std::string& c : b2)
    for (const std::string& r : b1) {
      double links = 0.0;
      for (int a = 1; a <= first; ++a)
        for (int b = first + 1; b <= x.n; ++b)
          links += x(a, b) && group(w, a) == r && group(w, b) == c;
      out.push_back(links);
    }
  out.erase(out.begin());
  return out;
}

// The 4-cycles: pairs of first-mode nodes, C(common neighbours, 2); no odd cycle.
Counts cycles(const Ties& x, const World&, int first) {
  double four = 0.0;
  for (int a = 1; a <= first; ++a)
    for (int b = a + 1; b <= first; ++b) four += choose(partners(x, "", a, b), 2);
  return {0.0, four};
}

std::vector<Row> rows() {
  std::vector<Row> list;
  const double r = 1.0 - std::exp(-0.6);
  for (int mode : {1, 2}) {
    const std::string b = "b" + std::to_string(mode);
    list.push_back({b + "star(c(2, 3))", node_sum(mode, [](int d) {
                      return Counts{choose(d, 2), choose(d, 3)};
                    })});
    list.push_back({b + "degree(c(0, 1))", node_sum(mode, [](int d) {
                      return Counts{d == 0 ? 1.0 : 0.0, d == 1 ? 1.0 : 0.0};
                    })});
    list.push_back(
        {b + "concurrent", node_sum(mode, [](int d) { return Counts{d >= 2 ? 1.0 : 0.0}; })});
    list.push_back({"gw" + b + "degree(0.6, fixed=TRUE)", node_sum(mode, [r](int d) {
                      return Counts{std::exp(0.6) * (1.0 - std::pow(r, d))};
                    })});
    // Links run from the first mode's end a to the second's b.
    list.push_back({b + "cov(\"score\")", link_sum([mode](const World& w, int a, int b) {
                      return Counts{brute::score(w, mode == 1 ? a : b)};
                    })});
    list.push_back({b + "factor(\"group\")", [mode](const Ties& x, const World& w, int first) {
                      Counts links =
                          by_group(mode, [](int d) { return Counts{double(d)}; })(x, w, first);
                      return Counts(links.begin() + 1, links.end());  // the first level left out
                    }});
    list.push_back({b + "nodematch(\"group\")", discounted_match(mode, true, 1.0, false)});
    list.push_back(
        {b + "nodematch(\"group\", diff=TRUE)", discounted_match(mode, true, 1.0, true)});
    list.push_back({b + "sociality", sociality(mode, false)});
    list.push_back({b + "sociality(\"group\")", sociality(mode, true)});
    list.push_back({b + "mindegree(c(0, 2))", node_sum(mode, [](int d) {
                      return Counts{1.0, d >= 2 ? 1.0 : 0.0};
                    })});
    list.push_back({b + "degrange(c(1, 2), to=c(3, 99))", node_sum(mode, [](int d) {
                      return Counts{d >= 1 && d < 3 ? 1.0 : 0.0, d >= 2 ? 1.0 : 0.0};
                    })});
    list.push_back({b + "degree(c(0, 2), by=\"group\")", by_group(mode, [](int d) {
                      return Counts{d == 0 ? 1.0 : 0.0, d == 2 ? 1.0 : 0.0};
                    })});
    list.push_back({b + "concurrent(by=\"group\", levels=c(1, 2))",
                    by_group(
                        mode, [](int d) { return Counts{d >= 2 ? 1.0 : 0.0}; }, 2)});
    list.push_back(
        {b + "star(c(1, 2), \"group\")", [mode](const Ties& x, const World& w, int first) {
           Counts v(2, 0.0);
           for (int a = 1; a <= x.n; ++a) {
             if (!in_mode(a, mode, first)) continue;
             int alike = 0;
             for (int u = 1; u <= x.n; ++u) alike += x(a, u) && group(w, u) == group(w, a);
             v[0] += alike, v[1] += choose(alike, 2);
           }
           return v;
         }});
    list.push_back({b + "dsp(c(0, 1, 2))", pair_sum(mode, [](int s) {
                      return Counts{s == 0 ? 1.0 : 0.0, s == 1 ? 1.0 : 0.0, s == 2 ? 1.0 : 0.0};
                    })});
    list.push_back({"gw" + b + "dsp(0.6, fixed=TRUE)", pair_sum(mode, [r](int s) {
                      return Counts{std::exp(0.6) * (1.0 - std::pow(r, s))};
                    })});
    list.push_back({"gw" + b + "dsp(0.6, cutoff=3)", pair_sum(mode, counts_to(3))});
    list.push_back({"gw" + b + "degree(0.6, cutoff=2)", node_sum(mode, counts_to(2))});
    list.push_back(
        {"gw" + b + "degree(0.6, fixed=TRUE, attr=\"group\")",
         by_group(mode, [r](int d) { return Counts{std::exp(0.6) * (1.0 - std::pow(r, d))}; })});
    list.push_back({b + "twostar(\"group\")", twostars(mode)});
    list.push_back({b + "starmix(2, \"group\")", starmix(mode, 2, true)});
    list.push_back({b + "starmix(1, \"group\", diff=FALSE)", starmix(mode, 1, false)});
    list.push_back(
        {b + "nodematch(\"group\", alpha=0.5)", discounted_match(mode, true, 0.5, false)});
    list.push_back({b + "nodematch(\"group\", beta=0.3, diff=TRUE)",
                    discounted_match(mode, false, 0.3, true)});
    list.push_back({b + "nodematch(\"group\", beta=0)", discounted_match(mode, false, 0.0, false)});
    const std::string split = mode == 1 ? "nodematch(\"sex\", byb2attr=\"group\""
                                        : "nodematch(\"group\", byb1attr=\"sex\"";
    list.push_back({b + split + ")", split_match(mode, 0, 1.0, false)});
    list.push_back({b + split + ", diff=TRUE, alpha=0.4)", split_match(mode, 1, 0.4, true)});
    list.push_back({b + split + ", beta=0.7)", split_match(mode, 2, 0.7, false)});
  }
  // Terms of any undirected network count the links between the modes as any links.
  list.push_back({"edges", link_sum([](const World&, int, int) { return Counts{1.0}; })});
  list.push_back({"isolates", [](const Ties& x, const World&, int) {
                    Counts v{0.0};
                    for (int a = 1; a <= x.n; ++a) v[0] += degree(x, a, 2) == 0;
                    return v;
                  }});
  list.push_back({"nodemix(\"group\")", mixing});
  list.push_back({"cycle(c(3, 4))", cycles});
  list.push_back({"nodematch(\"group\")", link_sum([=](const World& w, int a, int b) {
                    return Counts{group(w, a) == group(w, b) ? 1.0 : 0.0};
                  })});
  list.push_back({"nodefactor(\"group\")", link_sum([=](const World& w, int a, int b) {
                    Counts v(2, 0.0);  // levels b and c
                    for (int end : {a, b})
                      if (group(w, end) != "a") v[group(w, end) == "b" ? 0 : 1] += 1.0;
                    return v;
                  })});
  for (bool absolute : {false, true}) {
    list.push_back({absolute ? "absdiff(\"score\")" : "nodecov(\"score\")",
                    link_sum([absolute](const World& w, int a, int b) {
                      const double u = brute::score(w, a), v = brute::score(w, b);
                      return Counts{absolute ? std::fabs(u - v) : u + v};
                    })});
  }
  // An undirected covariate is read at (i, j), i < j: here the first-mode node's row.
  list.push_back({"edgecov(\"cov\")", link_sum([](const World& w, int a, int b) {
                    return Counts{w.covariates.at("cov")[std::size_t(a)][std::size_t(b)]};
                  })});
  list.push_back({"degree(c(0, 2))", [](const Ties& x, const World&, int) {
                    Counts v(2, 0.0);
                    for (int a = 1; a <= x.n; ++a) {
                      v[0] += degree(x, a, 2) == 0;
                      v[1] += degree(x, a, 2) == 2;
                    }
                    return v;
                  }});
  list.push_back({"gwdegree(0.6, fixed=TRUE)", [r](const Ties& x, const World&, int) {
                    double sum = 0.0;
                    for (int a = 1; a <= x.n; ++a)
                      sum += std::exp(0.6) * (1.0 - std::pow(r, degree(x, a, 2)));
                    return Counts{sum};
                  }});
  return list;
}

Ties random_two_mode(int n, int first, double density, std::mt19937& random) {
  Ties x{n, false,
         std::vector<std::vector<int>>(std::size_t(n) + 1, std::vector<int>(std::size_t(n) + 1))};
  for (int a = 1; a <= first; ++a)
    for (int b = first + 1; b <= n; ++b)
      if (double(random()) / 4294967296.0 < density)
        x.x[std::size_t(a)][std::size_t(b)] = x.x[std::size_t(b)][std::size_t(a)] = 1;
  return x;
}

TermPointer two_mode_term(const std::string& formula, const World& w, int first,
                          NodeCovariates& attributes) {
  TermContext context = context_of(w, false, attributes);
  context.bipartite = first;
  return make_term(parse_term(formula), context);
}

void check(const Row& row, const Ties& x, const World& w, int first) {
  NodeCovariates attributes;
  const TermPointer term = two_mode_term(row.formula, w, first, attributes);
  TermGraph g(x.n, false, term->partner_tables());
  g.set_bipartite(first);
  for (int a = 1; a <= first; ++a)
    for (int b = first + 1; b <= x.n; ++b)
      if (x(a, b)) g.toggle(a, b);
  const std::string what =
      row.formula + ", " + std::to_string(first) + " x " + std::to_string(x.n - first);
  const auto count = static_cast<std::size_t>(term->statistic_count());
  Counts statistics(count);
  term->network_statistics(g, statistics.data());
  expect_near(statistics, row.brute(x, w, first), what + ", network statistic");
  std::vector<Counts> rows(count, Counts(std::size_t(x.n) + 1, 0.0));
  std::vector<double*> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  for (int i = 1; i <= first; ++i) {
    term->sender_changes(g, i, false, pointers.data());
    for (int j = first + 1; j <= x.n; ++j) {
      Ties with = x, without = x;
      with.x[std::size_t(i)][std::size_t(j)] = with.x[std::size_t(j)][std::size_t(i)] = 1;
      without.x[std::size_t(i)][std::size_t(j)] = without.x[std::size_t(j)][std::size_t(i)] = 0;
      const Counts up = row.brute(with, w, first), down = row.brute(without, w, first);
      Counts brute(count), change(count), reversed(count), sender(count);
      for (std::size_t s = 0; s < count; ++s) brute[s] = up[s] - down[s];
      term->add_change(g, i, j, change.data());
      term->add_change(g, j, i, reversed.data());
      for (std::size_t s = 0; s < count; ++s) sender[s] = rows[s][std::size_t(j - 1)];
      const std::string dyad = what + ", dyad " + std::to_string(i) + "," + std::to_string(j);
      expect_near(change, brute, dyad + ", change");
      expect_near(reversed, brute, dyad + ", asked the other way round");
      expect_near(sender, change, dyad + ", sender row");
    }
  }
}

TEST(BipartiteCatalogue, EveryChangeBetweenTheModesIsTheDifferenceOfBruteForceCounts) {
  std::mt19937 random(20261210);
  for (const Row& row : rows()) {
    for (int round = 0; round < 4; ++round) {
      const int n = 7 + round, first = 3 + round % 2;
      const World w = world_of(n, random);
      check(row, random_two_mode(n, first, 0.35 + 0.1 * round, random), w, first);
    }
  }
}

TEST(BipartiteCatalogue, TheNamesAreErgms) {
  std::mt19937 random(7);
  const World w = world_of(7, random);  // groups a b c a | b c a
  NodeCovariates attributes;
  const auto names = [&](const std::string& formula) {
    return two_mode_term(formula, w, 4, attributes)->statistic_names();
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(names("b1star(c(2, 3))"), (Names{"b1star2", "b1star3"}));
  EXPECT_EQ(names("b2degree(1)"), (Names{"b2deg1"}));
  EXPECT_EQ(names("b1concurrent"), (Names{"b1concurrent"}));
  EXPECT_EQ(names("gwb2degree(0.25, fixed=TRUE)"), (Names{"gwb2deg.fixed.0.25"}));
  EXPECT_EQ(names("b1cov(\"score\")"), (Names{"b1cov.score"}));
  EXPECT_EQ(names("b2nodematch(\"group\")"), (Names{"b2nodematch.group"}));
  EXPECT_EQ(names("b1sociality"), (Names{"b1sociality2", "b1sociality3", "b1sociality4"}));
  EXPECT_EQ(names("b2sociality(nodes=c(1, 3))"), (Names{"b2sociality5", "b2sociality7"}));
  EXPECT_EQ(names("b1sociality(\"group\", nodes=2)"), (Names{"b1sociality2.group"}));
  EXPECT_EQ(names("b2mindegree(c(1, 3))"), (Names{"b2mindeg1", "b2mindeg3"}));
  EXPECT_EQ(names("b1degrange(c(1, 2), to=c(3, 99))"), (Names{"b1deg1to3", "b1deg2+"}));
  EXPECT_EQ(names("b2degree(c(0, 2), by=\"group\", levels=-1)"),
            (Names{"b2deg0.groupb", "b2deg2.groupb", "b2deg0.groupc", "b2deg2.groupc"}));
  EXPECT_EQ(names("b1concurrent(by=\"group\")"),
            (Names{"b1concurrent.groupa", "b1concurrent.groupb", "b1concurrent.groupc"}));
  EXPECT_EQ(names("b1star(2, \"group\")"), (Names{"b1star2.group"}));
  EXPECT_EQ(names("gwb2degree(0.5, fixed=TRUE, attr=\"group\", levels=2)"),
            (Names{"gwb2deg0.5.groupb"}));
  EXPECT_EQ(names("b1dsp(c(0, 2))"), (Names{"b1dsp0", "b1dsp2"}));
  EXPECT_EQ(names("gwb2dsp(0.25, fixed=TRUE)"), (Names{"gwb2dsp.fixed.0.25"}));
  EXPECT_EQ(names("gwb1dsp(0.25, cutoff=2)"), (Names{"b1dsp#1", "b1dsp#2"}));
  EXPECT_EQ(names("gwb2degree(0.25, cutoff=2)"), (Names{"gwb2degree#1", "gwb2degree#2"}));
  EXPECT_EQ(names("b1twostar(\"group\", levels2=c(1, 4))"),
            (Names{"b1twostar.group.a.group.a.a", "b1twostar.group.a.group.a.b"}));
  EXPECT_EQ(names("b2twostar(\"group\", levels2=c(6, 7))"),
            (Names{"b2twostar.group.c.group.a.b", "b2twostar.group.a.group.b.b"}));
  EXPECT_EQ(names("b1starmix(2, \"group\", base=c(1, 2, 3, 4, 5, 6, 7))"),
            (Names{"b1starmix.2.group.b.c", "b1starmix.2.group.c.c"}));
  EXPECT_EQ(names("b2starmix(1, \"group\", base=1)"),
            (Names{"b2starmix.1.group.a.b", "b2starmix.1.group.a.c", "b2starmix.1.group.b.a",
                   "b2starmix.1.group.b.b", "b2starmix.1.group.b.c", "b2starmix.1.group.c.a",
                   "b2starmix.1.group.c.b", "b2starmix.1.group.c.c"}));
  EXPECT_EQ(names("b2starmix(1, \"group\", diff=FALSE)"),
            (Names{"b2starmix.1.group.a", "b2starmix.1.group.b", "b2starmix.1.group.c"}));
  EXPECT_EQ(
      names("nodemix(\"group\", b2levels=c(\"b\", \"c\"))"),
      (Names{"mix.group.b.b", "mix.group.c.b", "mix.group.a.c", "mix.group.b.c", "mix.group.c.c"}));
  EXPECT_EQ(names("b2nodematch(\"group\", diff=TRUE, byb1attr=\"sex\", levels=-1)"),
            (Names{"b2nodematch.group.b.F", "b2nodematch.group.b.M", "b2nodematch.group.c.F",
                   "b2nodematch.group.c.M"}));
  EXPECT_EQ(names("b1nodematch(\"group\", diff=TRUE, keep=c(1, 3), beta=0.5)"),
            (Names{"b1nodematch.group.a", "b1nodematch.group.c"}));
}

TEST(BipartiteCatalogue, BadInputIsAModelErrorNamingTheTermOrArgument) {
  std::mt19937 random(7);
  const World w = world_of(7, random);
  struct Bad {
    std::string formula;
    int first;  // 0: a network of one mode
    std::string says;
  };
  const std::vector<Bad> bad = {
      {"b1star(2)", 0, "b1star is a term of two-mode networks"},
      {"b2degree(1)", 0, "b2degree is a term of two-mode networks"},
      {"gwb1degree(0.5, fixed=TRUE)", 0, "gwb1degree is a term of two-mode networks"},
      {"b1factor(\"group\")", 0, "b1factor is a term of two-mode networks"},
      {"b2nodematch(\"group\")", 0, "b2nodematch is a term of two-mode networks"},
      {"b1sociality", 0, "b1sociality is a term of two-mode networks"},
      {"b2mindegree(1)", 0, "b2mindegree is a term of two-mode networks"},
      {"b1dsp(1)", 0, "b1dsp is a term of two-mode networks"},
      {"gwb2dsp(0.5, fixed=TRUE)", 0, "gwb2dsp is a term of two-mode networks"},
      {"b2twostar(\"group\")", 0, "b2twostar is a term of two-mode networks"},
      {"b1starmix(2, \"group\")", 0, "b1starmix is a term of two-mode networks"},
      {"gwb1degree(0.5)", 0, "gwb1degree is a term of two-mode networks"},
      {"b1nodematch(\"group\", alpha=2)", 4, "alpha"},
      {"b2nodematch(\"group\", beta=-0.5)", 4, "beta"},
      {"b1starmix(c(1, 2), \"group\")", 4, "one k"},
      {"b1sociality(levels=1)", 4, "attr="},
      {"gwb1dsp(0.5, cutoff=0)", 4, "cutoff"},
      {"gwb1degree(0.5, attr=\"group\")", 4, "fixed=TRUE"},
      {"b2twostar(\"group\", levels2=99)", 4, "levels2"},
  };
  for (const Bad& b : bad) {
    NodeCovariates attributes;
    TermContext context = context_of(w, false, attributes);
    context.bipartite = b.first;
    try {
      make_term(parse_term(b.formula), context);
      ADD_FAILURE() << b.formula << " was made";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(b.says), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace tarn::test
