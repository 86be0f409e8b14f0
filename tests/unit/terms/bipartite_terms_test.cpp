// The terms of two-mode networks against brute force on random two-mode networks: each network
// statistic against its definition counted from the 0/1 matrix of ties, and the change statistic
// of every dyad between the modes (asked both ways round) and its sender row against the
// difference of those counts with and without the link.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/term_check.h"

namespace tarn::test {
namespace {

// Nodes 1..first are the first mode.
struct TwoMode {
  int first = 0;
  bool in_mode(int node, int mode) const { return (node <= first) == (mode == 1); }
};

int degree_of(const Ties& x, int a) {
  int d = 0;
  for (int b = 1; b <= x.n; ++b) d += x(a, b);
  return d;
}

double choose(int n, int k) {
  if (n < k) return 0.0;
  double v = 1.0;
  for (int t = 1; t <= k; ++t) v = v * (n - k + t) / t;
  return v;
}

using TwoModeBrute = std::function<std::vector<double>(const Ties&, const World&, TwoMode)>;

struct TwoModeCase {
  std::string formula;
  TwoModeBrute brute;
};

// Sum over the nodes of a mode of f(degree).
TwoModeBrute degree_sum(int mode, std::function<double(int)> f) {
  return [mode, f](const Ties& x, const World&, TwoMode m) {
    double sum = 0.0;
    for (int a = 1; a <= x.n; ++a)
      if (m.in_mode(a, mode)) sum += f(degree_of(x, a));
    return std::vector<double>{sum};
  };
}

// Per level of `group` among the mode's nodes (sorted, the first left out), the links at them.
TwoModeBrute factor_counts(int mode) {
  return [mode](const Ties& x, const World& w, TwoMode m) {
    std::set<std::string> levels;
    for (int a = 1; a <= x.n; ++a)
      if (m.in_mode(a, mode)) levels.insert(w.group[std::size_t(a - 1)]);
    std::vector<double> out;
    for (auto level = std::next(levels.begin()); level != levels.end(); ++level) {
      double count = 0.0;
      for (int a = 1; a <= x.n; ++a)
        if (m.in_mode(a, mode) && w.group[std::size_t(a - 1)] == *level) count += degree_of(x, a);
      out.push_back(count);
    }
    return out;
  };
}

// Pairs of the mode's nodes of one group, once per common neighbour; diff: per level.
TwoModeBrute match_counts(int mode, bool diff) {
  return [mode, diff](const Ties& x, const World& w, TwoMode m) {
    std::set<std::string> levels;
    for (int a = 1; a <= x.n; ++a)
      if (m.in_mode(a, mode)) levels.insert(w.group[std::size_t(a - 1)]);
    std::map<std::string, double> per_level;
    for (int a = 1; a <= x.n; ++a)
      for (int b = a + 1; b <= x.n; ++b) {
        if (!m.in_mode(a, mode) || !m.in_mode(b, mode)) continue;
        if (w.group[std::size_t(a - 1)] != w.group[std::size_t(b - 1)]) continue;
        for (int k = 1; k <= x.n; ++k) per_level[w.group[std::size_t(a - 1)]] += x(a, k) * x(b, k);
      }
    std::vector<double> out;
    double total = 0.0;
    for (const std::string& level : levels) {
      out.push_back(per_level[level]);
      total += per_level[level];
    }
    return diff ? out : std::vector<double>{total};
  };
}

TwoModeBrute covariate_sum(int mode) {
  return [mode](const Ties& x, const World& w, TwoMode m) {
    double sum = 0.0;
    for (int a = 1; a <= x.n; ++a)
      if (m.in_mode(a, mode)) sum += w.score[std::size_t(a - 1)] * degree_of(x, a);
    return std::vector<double>{sum};
  };
}

double gw(double decay, int d) {
  return std::exp(decay) * (1.0 - std::pow(1.0 - std::exp(-decay), d));
}

std::vector<TwoModeCase> cases() {
  std::vector<TwoModeCase> list;
  for (int mode : {1, 2}) {
    const std::string b = "b" + std::to_string(mode);
    list.push_back({b + "star(2)", degree_sum(mode, [](int d) { return choose(d, 2); })});
    list.push_back({b + "star(3)", degree_sum(mode, [](int d) { return choose(d, 3); })});
    list.push_back({b + "degree(1)", degree_sum(mode, [](int d) { return d == 1 ? 1.0 : 0.0; })});
    list.push_back({b + "degree(0)", degree_sum(mode, [](int d) { return d == 0 ? 1.0 : 0.0; })});
    list.push_back({b + "concurrent", degree_sum(mode, [](int d) { return d >= 2 ? 1.0 : 0.0; })});
    list.push_back(
        {"gw" + b + "degree(0.7, fixed=TRUE)", degree_sum(mode, [](int d) { return gw(0.7, d); })});
    list.push_back({b + "cov(\"score\")", covariate_sum(mode)});
    list.push_back({b + "factor(\"group\")", factor_counts(mode)});
    list.push_back({b + "nodematch(\"group\")", match_counts(mode, false)});
    list.push_back({b + "nodematch(\"group\", diff=TRUE)", match_counts(mode, true)});
  }
  // Terms of any network count the links between the modes as any links.
  list.push_back({"edges", [](const Ties& x, const World&, TwoMode) {
                    double links = 0.0;
                    for (int a = 1; a <= x.n; ++a) links += degree_of(x, a);
                    return std::vector<double>{links / 2};
                  }});
  list.push_back({"isolates", [](const Ties& x, const World&, TwoMode) {
                    double count = 0.0;
                    for (int a = 1; a <= x.n; ++a) count += degree_of(x, a) == 0 ? 1.0 : 0.0;
                    return std::vector<double>{count};
                  }});
  return list;
}

// A random two-mode network: each dyad between the modes linked with chance `density`.
Ties random_two_mode(int n, TwoMode m, double density, std::mt19937& random) {
  Ties x{n, false,
         std::vector<std::vector<int>>(std::size_t(n) + 1, std::vector<int>(std::size_t(n) + 1))};
  for (int a = 1; a <= m.first; ++a)
    for (int b = m.first + 1; b <= n; ++b)
      if (double(random()) / 4294967296.0 < density)
        x.x[std::size_t(a)][std::size_t(b)] = x.x[std::size_t(b)][std::size_t(a)] = 1;
  return x;
}

void check_two_mode(const TwoModeCase& c, const Ties& x, const World& w, TwoMode m) {
  const int n = x.n;
  NodeCovariates attributes;
  TermContext context = context_of(w, false, attributes);
  context.bipartite = m.first;
  const TermPointer term = make_term(parse_term(c.formula), context);
  TermGraph g(n, false, term->partner_tables());
  g.set_bipartite(m.first);
  for (int a = 1; a <= m.first; ++a)
    for (int b = m.first + 1; b <= n; ++b)
      if (x(a, b)) g.toggle(a, b);
  const std::string what =
      c.formula + ", " + std::to_string(m.first) + " x " + std::to_string(n - m.first);
  const auto count = static_cast<std::size_t>(term->statistic_count());
  std::vector<double> statistics(count);
  term->network_statistics(g, statistics.data());
  expect_near(statistics, c.brute(x, w, m), what + ", network statistic");
  std::vector<std::vector<double>> rows(count, std::vector<double>(std::size_t(n) + 8, 0.0));
  std::vector<double*> row_pointers;
  for (auto& row : rows) row_pointers.push_back(row.data());
  for (int i = 1; i <= m.first; ++i) {
    term->sender_changes(g, i, false, row_pointers.data());
    for (int j = m.first + 1; j <= n; ++j) {
      Ties with = x, without = x;
      with.x[std::size_t(i)][std::size_t(j)] = with.x[std::size_t(j)][std::size_t(i)] = 1;
      without.x[std::size_t(i)][std::size_t(j)] = without.x[std::size_t(j)][std::size_t(i)] = 0;
      const std::vector<double> up = c.brute(with, w, m), down = c.brute(without, w, m);
      std::vector<double> brute_change(count), change(count), reversed(count), row(count);
      for (std::size_t s = 0; s < count; ++s) brute_change[s] = up[s] - down[s];
      term->add_change(g, i, j, change.data());
      term->add_change(g, j, i, reversed.data());
      for (std::size_t s = 0; s < count; ++s) row[s] = rows[s][std::size_t(j - 1)];
      const std::string dyad = what + ", dyad " + std::to_string(i) + "," + std::to_string(j);
      expect_near(change, brute_change, dyad + ", change");
      expect_near(reversed, brute_change, dyad + ", asked the other way round");
      expect_near(row, change, dyad + ", sender row");
    }
  }
}

TEST(BipartiteTerms, EveryChangeBetweenTheModesIsTheDifferenceOfBruteForceCounts) {
  std::mt19937 random(20261209);
  for (const TwoModeCase& c : cases()) {
    for (int round = 0; round < 4; ++round) {
      const int n = 6 + round, first = 2 + round % 3;
      const World w = world_of(n, random);
      check_two_mode(c, random_two_mode(n, TwoMode{first}, 0.3 + 0.1 * round, random), w,
                     TwoMode{first});
    }
  }
}

TEST(BipartiteTerms, TheNamesAreErgms) {
  std::mt19937 random(7);
  const World w = world_of(7, random);
  NodeCovariates attributes;
  TermContext context = context_of(w, false, attributes);
  context.bipartite = 3;
  const auto names = [&](const std::string& formula) {
    return make_term(parse_term(formula), context)->statistic_names();
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(names("b1star(c(2, 3))"), (Names{"b1star2", "b1star3"}));
  EXPECT_EQ(names("b2degree(1)"), (Names{"b2deg1"}));
  EXPECT_EQ(names("b1concurrent"), (Names{"b1concurrent"}));
  EXPECT_EQ(names("gwb2degree(0.25, fixed=TRUE)"), (Names{"gwb2deg.fixed.0.25"}));
  EXPECT_EQ(names("b1cov(\"score\")"), (Names{"b1cov.score"}));
  EXPECT_EQ(names("b2nodematch(\"group\")"), (Names{"b2nodematch.group"}));
}

TEST(BipartiteTerms, OnANetworkOfOneModeEachIsAModelErrorNamingIt) {
  std::mt19937 random(7);
  const World w = world_of(6, random);
  NodeCovariates attributes;
  const TermContext context = context_of(w, false, attributes);
  for (const char* formula : {"b1star(2)", "b2degree(1)", "gwb1degree(0.5, fixed=TRUE)",
                              "b1factor(\"group\")", "b2nodematch(\"group\")"}) {
    try {
      make_term(parse_term(formula), context);
      ADD_FAILURE() << formula << " was made";
    } catch (const ModelError& e) {
      const std::string name = std::string(formula).substr(0, std::string(formula).find('('));
      EXPECT_NE(std::string(e.what()).find(name + " is a term of two-mode networks"),
                std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace tarn::test
