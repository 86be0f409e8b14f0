#pragma once
// Change statistics counted by enumeration (small networks), and seeded random networks.

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace tarn::test {

// 0/1 ties a->b among nodes 1..n; self-ties may be set but no count uses them.
struct Adjacency {
  explicit Adjacency(int n) : x(n + 1, std::vector<std::uint8_t>(n + 1, 0)) {}
  static Adjacency from_links(int n, const std::vector<std::pair<int, int>>& links) {
    Adjacency a(n);
    for (const auto& [i, j] : links) a.set(i, j, 1);
    return a;
  }
  int n() const { return static_cast<int>(x.size()) - 1; }
  int operator()(int a, int b) const { return x[a][b]; }
  void set(int a, int b, int v) { x[a][b] = static_cast<std::uint8_t>(v); }
  std::vector<std::vector<std::uint8_t>> x;
};

// counts[t], t = 1..15: configurations of type t among distinct nodes, each set of ties once.
inline std::array<long long, 16> configuration_counts(const Adjacency& x) {
  std::array<long long, 16> c{};
  for (int a = 1; a <= x.n(); ++a) {
    for (int b = 1; b <= x.n(); ++b) {
      if (b == a) continue;
      const int ab = x(a, b), mab = ab * x(b, a);
      c[1] += ab;
      if (a < b) c[2] += mab;
      for (int k = 1; k <= x.n(); ++k) {
        if (k == a || k == b) continue;
        const int ak = x(a, k), ka = x(k, a), bk = x(b, k), kb = x(k, b), mbk = bk * kb;
        if (b < k) c[3] += ab * ak, c[4] += x(b, a) * ka, c[10] += mab * ak * ka;
        c[5] += ka * ab, c[6] += ab * bk * ak, c[8] += mab * ak, c[9] += mab * ka;
        if (a < b && a < k) c[7] += ab * bk * ka;
        if (a < b) c[11] += mab * ak * bk, c[12] += mab * ka * kb;
        c[13] += mab * ak * kb, c[14] += mab * mbk * ak;
        if (a < b && b < k) c[15] += mab * mbk * ak * ka;
      }
    }
  }
  return c;
}

// Types 1..15 for the dyad (i, j), i != j: counts with the tie i->j minus counts without it.
inline std::array<long long, 16> brute_change_stats(const Adjacency& x, int i, int j) {
  Adjacency with = x, without = x;
  with.set(i, j, 1);
  without.set(i, j, 0);
  auto d = configuration_counts(with);
  const auto down = configuration_counts(without);
  for (int t = 1; t <= 15; ++t) d[t] -= down[t];
  return d;
}

// Each unordered pair joined with probability `density`, reciprocated with probability
// `reciprocity`, else one tie in a random direction; self-ties with probability `self_tie`.
// Links sorted by source, shuffled within a source; node n always takes part in a link.
inline std::vector<std::pair<int, int>> random_network(int n, double density, double reciprocity,
                                                       unsigned seed, double self_tie = 0.0) {
  std::mt19937 gen(seed);
  auto uniform = [&gen]() { return static_cast<double>(gen()) / 4294967296.0; };
  Adjacency x(n);
  bool n_linked = false;
  for (int a = 1; a <= n; ++a) {
    if (uniform() < self_tie) x.set(a, a, 1);
    for (int b = a + 1; b <= n; ++b) {
      if (uniform() >= density) continue;
      const int r = uniform() < reciprocity ? 2 : uniform() < 0.5;  // 2: both ways, 1: a->b
      if (r != 0) x.set(a, b, 1);
      if (r != 1) x.set(b, a, 1);
      n_linked = n_linked || b == n;
    }
  }
  if (n >= 2 && !n_linked && !x(n, n)) x.set(n, 1, 1);
  std::vector<std::pair<int, int>> links;
  for (int a = 1; a <= n; ++a) {
    const std::size_t first = links.size();
    for (int b = 1; b <= n; ++b)
      if (x(a, b)) links.emplace_back(a, b);
    for (std::size_t k = links.size(); k > first + 1; --k)
      std::swap(links[k - 1], links[first + gen() % (k - first)]);
  }
  return links;
}

}  // namespace tarn::test
