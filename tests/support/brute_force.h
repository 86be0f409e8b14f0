#pragma once
// Independent reference counts for the change statistics: an adjacency matrix, the count of
// every configuration type by enumeration of node pairs and triples, and the change statistic
// of a dyad as the count with the tie present minus the count with it absent. Plus a seeded
// random network generator. Header-only; meant for small networks (the counts are O(n^3)).

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace tarn::test {

// Ties a->b among nodes 1..n, as 0/1 entries; self-ties may be set but no count uses them.
class Adjacency {
 public:
  explicit Adjacency(int n) : n_(n), x_(static_cast<std::size_t>(n) * n, 0) {}

  // Links given twice count once.
  static Adjacency from_links(int n, const std::vector<std::pair<int, int>>& links) {
    Adjacency a(n);
    for (const auto& [i, j] : links) a.set(i, j, 1);
    return a;
  }

  int n() const { return n_; }
  int operator()(int a, int b) const { return x_[index(a, b)]; }
  void set(int a, int b, int value) { x_[index(a, b)] = static_cast<std::uint8_t>(value); }
  int out_degree(int a) const {
    int d = 0;
    for (int b = 1; b <= n_; ++b) d += (*this)(a, b);
    return d;
  }
  int in_degree(int a) const {
    int d = 0;
    for (int b = 1; b <= n_; ++b) d += (*this)(b, a);
    return d;
  }

 private:
  std::size_t index(int a, int b) const {
    return static_cast<std::size_t>(a - 1) * n_ + static_cast<std::size_t>(b - 1);
  }
  int n_;
  std::vector<std::uint8_t> x_;
};

// counts[t], t = 1..15: the number of configurations of type t among distinct nodes, each
// counted once as a set of ties (a cyclic triad once, unordered partner pairs once).
inline std::array<long long, 16> configuration_counts(const Adjacency& x) {
  std::array<long long, 16> c{};
  const int n = x.n();
  auto mut = [&x](int a, int b) { return x(a, b) * x(b, a); };
  for (int a = 1; a <= n; ++a) {
    for (int b = 1; b <= n; ++b) {
      if (b == a) continue;
      c[1] += x(a, b);
      if (a < b) c[2] += mut(a, b);
      for (int k = 1; k <= n; ++k) {
        if (k == a || k == b) continue;
        // Read (a, b, k) as the labels a, b, c of the configuration table.
        const int ab = x(a, b), ba = x(b, a), ak = x(a, k), ka = x(k, a);
        const int bk = x(b, k), kb = x(k, b);
        const int mab = ab * ba, mbk = bk * kb, mak = ak * ka;
        if (b < k) c[3] += ab * ak;
        if (b < k) c[4] += ba * ka;
        c[5] += ka * ab;
        c[6] += ab * bk * ak;
        if (a < b && a < k) c[7] += ab * bk * ka;
        c[8] += mab * ak;
        c[9] += mab * ka;
        if (b < k) c[10] += mab * mak;
        if (a < b) c[11] += mab * ak * bk;
        if (a < b) c[12] += mab * ka * kb;
        c[13] += mab * ak * kb;
        c[14] += mab * mbk * ak;
        if (a < b && b < k) c[15] += mab * mbk * mak;
      }
    }
  }
  return c;
}

// Change statistics of types 1..15 for the dyad (i, j), i != j: the counts with the tie i->j
// present minus the counts with it absent, all other ties as in x.
inline std::array<long long, 16> brute_change_stats(const Adjacency& x, int i, int j) {
  Adjacency with = x;
  with.set(i, j, 1);
  Adjacency without = x;
  without.set(i, j, 0);
  const auto up = configuration_counts(with);
  const auto down = configuration_counts(without);
  std::array<long long, 16> d{};
  for (int t = 1; t <= 15; ++t) d[t] = up[t] - down[t];
  return d;
}

inline long long brute_change_stat(const Adjacency& x, int type, int i, int j) {
  return brute_change_stats(x, i, j)[type];
}

// A random network on nodes 1..n: each unordered pair of distinct nodes is joined with
// probability `density`; a joined pair is reciprocated with probability `reciprocity`, else it
// is one tie in a random direction. Each node has a self-tie with probability `self_tie`. The
// links come sorted by source, in a shuffled order within each source, as a network file may
// hold them; node n always takes part in a link, so that the node count is n.
inline std::vector<std::pair<int, int>> random_network(int n, double density, double reciprocity,
                                                       unsigned seed, double self_tie = 0.0) {
  std::mt19937 gen(seed);
  auto uniform = [&gen]() { return static_cast<double>(gen()) / 4294967296.0; };
  Adjacency x(n);
  for (int a = 1; a <= n; ++a) {
    if (uniform() < self_tie) x.set(a, a, 1);
    for (int b = a + 1; b <= n; ++b) {
      if (uniform() >= density) continue;
      if (uniform() < reciprocity) {
        x.set(a, b, 1);
        x.set(b, a, 1);
      } else if (uniform() < 0.5) {
        x.set(a, b, 1);
      } else {
        x.set(b, a, 1);
      }
    }
  }
  if (n >= 2 && x.out_degree(n) + x.in_degree(n) == 0) x.set(n, 1, 1);
  std::vector<std::pair<int, int>> links;
  for (int a = 1; a <= n; ++a) {
    const std::size_t first = links.size();
    for (int b = 1; b <= n; ++b) {
      if (x(a, b)) links.emplace_back(a, b);
    }
    for (std::size_t k = links.size(); k > first + 1; --k) {
      const std::size_t pick = first + gen() % (k - first);
      std::swap(links[k - 1], links[pick]);
    }
  }
  return links;
}

}  // namespace tarn::test
