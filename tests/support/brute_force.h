#pragma once
// Reference change statistics counted by enumeration (O(n^3), small networks only), and a seeded
// random network generator.

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace tarn::test {

// 0/1 ties a->b among nodes 1..n; self-ties may be set but no count uses them.
class Adjacency {
 public:
  explicit Adjacency(int n) : n_(n), x_(static_cast<std::size_t>(n) * n, 0) {}
  static Adjacency from_links(int n, const std::vector<std::pair<int, int>>& links) {
    Adjacency a(n);
    for (const auto& [i, j] : links) a.set(i, j, 1);
    return a;
  }
  int n() const { return n_; }
  int operator()(int a, int b) const { return x_[index(a, b)]; }
  void set(int a, int b, int value) { x_[index(a, b)] = static_cast<std::uint8_t>(value); }

 private:
  std::size_t index(int a, int b) const { return static_cast<std::size_t>(a - 1) * n_ + (b - 1); }
  int n_;
  std::vector<std::uint8_t> x_;
};

// counts[t], t = 1..15: configurations of type t among distinct nodes, each set of ties once.
inline std::array<long long, 16> configuration_counts(const Adjacency& x) {
  std::array<long long, 16> c{};
  const int n = x.n();
  for (int a = 1; a <= n; ++a) {
    for (int b = 1; b <= n; ++b) {
      if (b == a) continue;
      const int ab = x(a, b), ba = x(b, a), mab = ab * ba;
      c[1] += ab;
      if (a < b) c[2] += mab;
      for (int k = 1; k <= n; ++k) {
        if (k == a || k == b) continue;
        const int ak = x(a, k), ka = x(k, a), bk = x(b, k), kb = x(k, b);
        const int mbk = bk * kb, mak = ak * ka;
        if (b < k) c[3] += ab * ak, c[4] += ba * ka, c[10] += mab * mak;
        c[5] += ka * ab;
        c[6] += ab * bk * ak;
        if (a < b && a < k) c[7] += ab * bk * ka;
        c[8] += mab * ak;
        c[9] += mab * ka;
        if (a < b) c[11] += mab * ak * bk, c[12] += mab * ka * kb;
        c[13] += mab * ak * kb;
        c[14] += mab * mbk * ak;
        if (a < b && b < k) c[15] += mab * mbk * mak;
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
  const auto up = configuration_counts(with), down = configuration_counts(without);
  std::array<long long, 16> d{};
  for (int t = 1; t <= 15; ++t) d[t] = up[t] - down[t];
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
      if (uniform() < reciprocity) {
        x.set(a, b, 1);
        x.set(b, a, 1);
      } else {
        const bool forward = uniform() < 0.5;
        x.set(forward ? a : b, forward ? b : a, 1);
      }
      n_linked = n_linked || b == n;
    }
  }
  if (n >= 2 && !n_linked && !x(n, n)) x.set(n, 1, 1);
  std::vector<std::pair<int, int>> links;
  for (int a = 1; a <= n; ++a) {
    const std::size_t first = links.size();
    for (int b = 1; b <= n; ++b) {
      if (x(a, b)) links.emplace_back(a, b);
    }
    for (std::size_t k = links.size(); k > first + 1; --k) {
      std::swap(links[k - 1], links[first + gen() % (k - first)]);
    }
  }
  return links;
}

}  // namespace tarn::test
