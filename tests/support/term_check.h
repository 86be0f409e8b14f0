#pragma once
// A term of the table against brute force on small random networks: its network statistic
// against the definition counted from the 0/1 matrix of ties, its change statistic of every dyad
// against the difference of those counts with and without the link (asked both ways round on an
// undirected network), and its rows of a sender against its change statistics. The world of a
// network: attributes (group: a, b, c; sex: F, M; score: reals; rank: 1..4) and dyadic
// covariates by name (cov: reals; target: 0/1; weights: reals).

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/brute_terms.h"
#include "terms/formula.h"
#include "terms/term_table.h"

namespace tarn::test {

using Matrix = std::vector<std::vector<double>>;  // [a][b], nodes 1..n

struct World {
  int n = 0;
  std::vector<std::string> group, sex;  // node i at i - 1
  std::vector<double> score, rank;
  std::map<std::string, Matrix> covariates;
  Ties observed;  // the network each round starts from (hamming's default)
};

using Brute = std::function<std::vector<double>(const Ties&, const World&)>;

struct Case {
  std::string formula;
  bool directed;
  Brute brute;
};

inline World world_of(int n, std::mt19937& random) {
  World w;
  w.n = n;
  // Every level of group and sex present, and ranks 1, 2 and 4 at least.
  for (int i = 0; i < n; ++i) {
    w.group.push_back(std::string(1, char('a' + i % 3)));
    w.sex.push_back(i < 2 ? (i == 0 ? "F" : "M") : random() % 2 == 0 ? "F" : "M");
    w.score.push_back(double(random() % 1000) / 100.0 - 3.0);
    w.rank.push_back(i < 3 ? double(i == 2 ? 4 : i + 1) : double(1 + random() % 4));
  }
  for (const char* name : {"cov", "target", "weights"}) {
    Matrix m(std::size_t(n) + 1, std::vector<double>(std::size_t(n) + 1, 0.0));
    for (int a = 1; a <= n; ++a)
      for (int b = 1; b <= n; ++b)
        if (a != b && random() % 3 == 0) {
          m[std::size_t(a)][std::size_t(b)] =
              std::string(name) == "target" ? 1.0 : double(random() % 7) - 2.5;
        }
    w.covariates[name] = m;
  }
  return w;
}

inline TermContext context_of(const World& w, bool directed, NodeCovariates& attributes) {
  attributes.node_count = w.n;
  attributes.source = "attributes.csv";
  AttributeColumn group{"group", w.group}, sex{"sex", w.sex}, score{"score", {}}, rank{"rank", {}};
  for (double v : w.score) score.value.push_back(r_number_text(v));
  for (double v : w.rank) rank.value.push_back(r_number_text(v));
  attributes.columns = {group, score, sex, rank};
  TermContext context;
  context.directed = directed;
  context.node_count = w.n;
  context.attributes = &attributes;
  context.dyadic_covariate = [&w](const std::string& name) -> std::shared_ptr<const DyadValues> {
    const auto at = w.covariates.find(name);
    if (at == w.covariates.end()) return nullptr;
    std::vector<DyadValues::Entry> entries;
    for (int a = 1; a <= w.n; ++a)
      for (int b = 1; b <= w.n; ++b)
        entries.push_back({a, b, at->second[std::size_t(a)][std::size_t(b)]});
    return std::make_shared<const DyadValues>(w.n, entries);
  };
  return context;
}

inline void expect_near(const std::vector<double>& got, const std::vector<double>& want,
                        const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t s = 0; s < got.size(); ++s) {
    EXPECT_NEAR(got[s], want[s], 1e-9 * (1.0 + std::fabs(want[s]))) << what << " statistic " << s;
  }
}

// The network statistic of the term on x, and the change statistic and sender row of every dyad,
// against the brute force.
inline void check_on_network(const Case& c, const Ties& x, World w) {
  const int n = x.n;
  std::vector<std::pair<int, int>> links;
  for (int a = 1; a <= n; ++a)
    for (int b = c.directed ? 1 : a + 1; b <= n; ++b)
      if (a != b && x(a, b)) links.emplace_back(a, b);
  w.observed = x;
  NodeCovariates attributes;
  TermContext context = context_of(w, c.directed, attributes);
  TermGraph start(n, c.directed);
  for (const auto& [a, b] : links) start.toggle(a, b);
  const Network observed = start.to_network();
  context.network = &observed;
  const TermPointer term = make_term(parse_term(c.formula), context);
  TermGraph g(n, c.directed, term->partner_tables());
  for (const auto& [a, b] : links) g.toggle(a, b);
  const std::string what =
      c.formula + (c.directed ? " directed" : " undirected") + ", n " + std::to_string(n);
  const auto m = static_cast<std::size_t>(term->statistic_count());
  std::vector<double> statistics(m);
  term->network_statistics(g, statistics.data());
  expect_near(statistics, c.brute(x, w), what + ", network statistic");

  std::vector<std::vector<double>> rows(m, std::vector<double>(std::size_t(n) + 8, 0.0));
  std::vector<double*> row_pointers;
  for (auto& row : rows) row_pointers.push_back(row.data());
  for (int i = 1; i <= n; ++i) {
    term->sender_changes(g, i, false, row_pointers.data());
    for (int j = c.directed ? 1 : i + 1; j <= n; ++j) {
      if (i == j) continue;
      Ties with = x, without = x;
      with.x[std::size_t(i)][std::size_t(j)] = 1, without.x[std::size_t(i)][std::size_t(j)] = 0;
      if (!c.directed) {
        with.x[std::size_t(j)][std::size_t(i)] = 1, without.x[std::size_t(j)][std::size_t(i)] = 0;
      }
      const std::vector<double> up = c.brute(with, w), down = c.brute(without, w);
      std::vector<double> brute_change(m), change(m), row(m);
      for (std::size_t s = 0; s < m; ++s) brute_change[s] = up[s] - down[s];
      term->add_change(g, i, j, change.data());
      for (std::size_t s = 0; s < m; ++s) row[s] = rows[s][std::size_t(j - 1)];
      const std::string dyad = what + ", dyad " + std::to_string(i) + "," + std::to_string(j);
      expect_near(change, brute_change, dyad + ", change");
      expect_near(row, change, dyad + ", sender row");
      if (!c.directed) {  // the sampler asks for an edge by either order of its nodes
        std::vector<double> reversed(m);
        term->add_change(g, j, i, reversed.data());
        expect_near(reversed, change,
                    dyad + ", asked as " + std::to_string(j) + "," + std::to_string(i));
      }
    }
  }
}

// A random network of n nodes, each dyad (undirected: each pair) linked with chance `density`.
inline Ties random_ties(int n, bool directed, double density, std::mt19937& random) {
  Ties x{n, directed,
         std::vector<std::vector<int>>(std::size_t(n) + 1, std::vector<int>(std::size_t(n) + 1))};
  for (int a = 1; a <= n; ++a)
    for (int b = directed ? 1 : a + 1; b <= n; ++b)
      if (a != b && double(random()) / 4294967296.0 < density) {
        x.x[std::size_t(a)][std::size_t(b)] = 1;
        if (!directed) x.x[std::size_t(b)][std::size_t(a)] = 1;
      }
  return x;
}

// Four rounds on networks of 5 to 8 nodes, densities 0.25 to 0.55.
inline void check_against_brute_force(const Case& c, std::mt19937& random) {
  for (int round = 0; round < 4; ++round) {
    const World w = world_of(5 + round, random);
    check_on_network(c, random_ties(5 + round, c.directed, 0.25 + 0.1 * round, random), w);
  }
}

}  // namespace tarn::test
