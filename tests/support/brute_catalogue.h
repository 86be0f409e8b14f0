#pragma once
// ergm's catalogue of binary-network terms counted from their definitions on a 0/1 matrix of
// ties, slowly and plainly, for the brute-force checks of the term table: every function gives
// the statistics of a network (never a change).

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/brute_terms.h"
#include "support/term_check.h"

namespace tarn::test::brute {

// The degree of a counting only the neighbours b with same(a, b).
inline int degree_within(const Ties& x, int a, int side,
                         const std::function<bool(int, int)>& same) {
  int d = 0;
  for (int k = 1; k <= x.n; ++k) {
    if (k == a || !same(a, k)) continue;
    if (!x.directed) {
      d += x(a, k);
    } else {
      d += (side != 1 ? x(k, a) : 0) + (side != 0 ? x(a, k) : 0);
    }
  }
  return d;
}

// Sum over the ordered (directed) or unordered (undirected, a < b) pairs a != b.
inline double over_pairs(const Ties& x, const std::function<double(int, int)>& f) {
  double sum = 0;
  for (int a = 1; a <= x.n; ++a)
    for (int b = x.directed ? 1 : a + 1; b <= x.n; ++b)
      if (a != b) sum += f(a, b);
  return sum;
}

// Sum over the unordered pairs a < b of a directed network.
inline double over_unordered_pairs(const Ties& x, const std::function<double(int, int)>& f) {
  double sum = 0;
  for (int a = 1; a <= x.n; ++a)
    for (int b = a + 1; b <= x.n; ++b) sum += f(a, b);
  return sum;
}

// A single statistic, f of the network.
inline Brute one(std::function<double(const Ties&, const World&)> f) {
  return [f](const Ties& x, const World& w) { return std::vector<double>{f(x, w)}; };
}

inline const std::string& group(const World& w, int a) {
  return w.group[std::size_t(a - 1)];
}
inline const std::string& sex(const World& w, int a) {
  return w.sex[std::size_t(a - 1)];
}
inline double score(const World& w, int a) {
  return w.score[std::size_t(a - 1)];
}
inline double rank(const World& w, int a) {
  return w.rank[std::size_t(a - 1)];
}

// The covariate's value of a pair, undirected from its upper triangle.
inline double covariate(const World& w, const std::string& name, bool directed, int a, int b) {
  const Matrix& m = w.covariates.at(name);
  return directed ? m[std::size_t(a)][std::size_t(b)]
                  : m[std::size_t(std::min(a, b))][std::size_t(std::max(a, b))];
}

}  // namespace tarn::test::brute
