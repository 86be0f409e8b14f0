#pragma once
// Statistics of the terms counted from their definitions on a 0/1 matrix of ties, for small
// networks: shared partners of each type, degrees, the geometric weights.

#include <cmath>
#include <string>
#include <vector>

namespace tarn::test {

// x[a][b]: the tie a->b (undirected: symmetric), nodes 1..n.
struct Ties {
  int n = 0;
  bool directed = true;  // set: a copied World's empty Ties would load an indeterminate bool
  std::vector<std::vector<int>> x;
  int operator()(int a, int b) const { return x[std::size_t(a)][std::size_t(b)]; }
};

inline double weight(double decay, int s) {
  return std::exp(decay) * (1.0 - std::pow(1.0 - std::exp(-decay), s));
}

// Shared partners of (a, b) by type, counted from the definition.
inline int partners(const Ties& x, const std::string& type, int a, int b) {
  int count = 0;
  for (int k = 1; k <= x.n; ++k) {
    if (k == a || k == b) continue;
    if (!x.directed || type == "OTP")
      count += x(a, k) * x(k, b);
    else if (type == "ITP")
      count += x(b, k) * x(k, a);
    else if (type == "RTP")
      count += x(a, k) * x(k, a) * x(b, k) * x(k, b);
    else if (type == "OSP")
      count += x(a, k) * x(b, k);
    else if (type == "ISP")
      count += x(k, a) * x(k, b);
  }
  return count;
}

// Pairs a != b the statistic runs over: directed ordered, undirected a < b.
template <class F>
void pairs(const Ties& x, F f) {
  for (int a = 1; a <= x.n; ++a)
    for (int b = x.directed ? 1 : a + 1; b <= x.n; ++b)
      if (a != b) f(a, b);
}

inline int degree(const Ties& x, int a,
                  int side) {  // side 0: in, 1: out, 2: both (undirected: degree)
  int d = 0;
  for (int k = 1; k <= x.n; ++k) {
    if (k == a) continue;
    if (!x.directed)
      d += x(a, k);
    else
      d += (side != 1 ? x(k, a) : 0) + (side != 0 ? x(a, k) : 0);
  }
  return d;
}

inline double choose(int n, int k) {
  return n < k ? 0.0 : std::tgamma(n + 1.0) / (std::tgamma(k + 1.0) * std::tgamma(n - k + 1.0));
}

// gwesp (edgewise) and gwdsp (dyadwise) of a partner type ("" undirected), and the gw degree
// terms (side as for degree), from their definitions.
inline double gw_edgewise(const Ties& x, const std::string& type, double decay) {
  double sum = 0;
  pairs(x, [&](int a, int b) {
    if (x(a, b)) sum += weight(decay, partners(x, type, a, b));
  });
  return sum;
}
inline double gw_dyadwise(const Ties& x, const std::string& type, double decay) {
  double sum = 0;
  pairs(x, [&](int a, int b) { sum += weight(decay, partners(x, type, a, b)); });
  return sum;
}
inline double gw_degrees(const Ties& x, int side, double decay) {
  double sum = 0;
  for (int a = 1; a <= x.n; ++a) sum += weight(decay, degree(x, a, side));
  return sum;
}

}  // namespace tarn::test
