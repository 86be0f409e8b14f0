#pragma once
// The change statistics: one readable definition per configuration type. The change statistic
// of a type for the dyad (i, j) is the number of configurations of that type that contain the
// tie i->j and whose other ties are present, each configuration counted once as a set of ties:
// the amount by which the network's count of that configuration rises when i->j is added.
//
// These definitions are the reference: the fast per-sender kernel (sender_statistics.h) must
// give the same value for every dyad, the 16-bit check (statistic_range.h) evaluates them, and
// the sampler toggles dyads with them.
//
// They are written for any graph that offers, for nodes a and b:
//   node_count(), out(a), in(a), mutual(a)   degrees and the reciprocated pairs of a
//   links(a, b)                               number of links a->b (more than 1 when repeated)
//   reciprocated_links(a, b)                  those of them marked reciprocated
//   for_each_out(a, f)                        f(b, reciprocated) for every link a->b
//   for_each_in(a, f)                         f(b) for every link b->a
// A link given twice counts twice, and a self-link i->i is an ordinary link of i, so that the
// values agree with the store built from any network file; for a network without repeated links
// and self-links they are exactly the configuration counts above. Sums over k run over every
// node, i and j included; a triad type of the self-pair (i, i) is 0.

#include <cstdint>

#include "terms/configuration_type.h"

namespace tarn {

// Types 6, 7 and 11 to 15: their configurations have three distinct nodes.
inline bool is_triad_type(ConfigurationType type) {
  const int t = number(type);
  return t == 6 || t == 7 || (t >= 11 && t <= 15);
}

template <class Graph>
struct DyadView {
  const Graph& g;
  int i, j;
  // x(j, i), x(i, j) and whether i->j is reciprocated, as 0 or 1.
  std::int64_t back() const { return g.links(j, i) > 0 ? 1 : 0; }
  std::int64_t tie() const { return g.links(i, j) > 0 ? 1 : 0; }
  std::int64_t reciprocated(int k) const { return g.reciprocated_links(i, k) > 0 ? 1 : 0; }
};

// Sum of f(k, reciprocated) over the links i->k.
template <class Graph, class F>
std::int64_t sum_out(const Graph& g, int i, F f) {
  std::int64_t sum = 0;
  g.for_each_out(i, [&](int k, bool reciprocated) { sum += f(k, reciprocated); });
  return sum;
}

// Sum of f(k) over the links k->i.
template <class Graph, class F>
std::int64_t sum_in(const Graph& g, int i, F f) {
  std::int64_t sum = 0;
  g.for_each_in(i, [&](int k) { sum += f(k); });
  return sum;
}

// The change statistic of `type` (1..15) for the dyad (i, j). With `two_paths_only`, type 6
// counts only the two-paths i->k->j (the column that type 15 is built from).
template <class Graph>
std::int64_t change_statistic(ConfigurationType type, const Graph& g, int i, int j,
                              bool two_paths_only = false) {
  const DyadView<Graph> d{g, i, j};
  const std::int64_t out_i = g.out(i), in_i = g.in(i), mut_i = g.mutual(i);
  const std::int64_t out_j = g.out(j), in_j = g.in(j), mut_j = g.mutual(j);
  if (is_triad_type(type) && i == j) return 0;
  auto a = [&g](int from, int to) -> std::int64_t { return g.links(from, to); };
  auto n = [&g](int from, int to) -> std::int64_t { return g.reciprocated_links(from, to); };
  switch (type) {
    case ConfigurationType::edges:  // i->j
      return 1;
    case ConfigurationType::mutual:  // i<>j: the tie back
      return d.back();
    case ConfigurationType::out_two_star:  // k<-i->j: the other ties out of i
      return out_i - d.tie();
    case ConfigurationType::in_two_star:  // k->i<-j: the other ties into j
      return in_j - d.tie();
    case ConfigurationType::two_path:  // k->i->j: ties into i, and out of j, but not j->i->j
      return in_i + out_j - 2 * d.back();
    case ConfigurationType::transitive_triad:  // i->j->k<-i in each of its three roles
      return sum_out(g, i, [&](int k, bool) { return a(k, j) + (two_paths_only ? 0 : a(j, k)); }) +
             (two_paths_only ? 0 : sum_in(g, i, [&](int k) { return a(k, j); }));
    case ConfigurationType::cyclic_triad:  // i->j->k->i
      return sum_in(g, i, [&](int k) { return a(j, k); });
    case ConfigurationType::mutual_out_star:  // k<>i->j, or i<>j with another tie out of either
      return mut_i - d.reciprocated(j) + d.back() * (out_i - d.tie() + out_j - 1);
    case ConfigurationType::mutual_in_star:  // k<>i<-j, or i<>j with another tie into either
      return mut_j - d.reciprocated(j) + d.back() * (in_i - d.tie() + in_j - 1);
    case ConfigurationType::mutual_two_star:  // i<>j with another reciprocated pair of i or j
      return d.back() * (mut_i + mut_j - 2 * d.reciprocated(j));
    case ConfigurationType::mutual_pair_sends:  // i<>j->k<-i
      return d.back() * sum_out(g, i, [&](int k, bool) { return a(j, k); }) +
             sum_in(g, i, [&](int k) { return d.reciprocated(k) * a(k, j); });
    case ConfigurationType::mutual_pair_receives:  // i<>j<-k->i
      return sum_out(g, i, [&](int k, bool) { return n(k, j); }) +
             d.back() * sum_in(g, i, [&](int k) { return a(k, j); });
    case ConfigurationType::mutual_pair_path:  // i<>j<-k<-i
      return d.back() * sum_out(g, i, [&](int k, bool) { return a(k, j); }) +
             sum_out(g, i, [&](int k, bool) { return d.reciprocated(k) * a(j, k); }) +
             sum_in(g, i, [&](int k) { return n(k, j); }) +
             d.back() * sum_in(g, i, [&](int k) { return a(j, k); });
    case ConfigurationType::two_mutual_triad:  // i<>j<>k<-i
      return d.back() * sum_out(g, i, [&](int k, bool) { return n(k, j); }) +
             sum_out(g, i, [&](int k, bool r) { return r ? n(k, j) : 0; }) +
             d.back() * sum_out(g, i, [&](int k, bool) { return d.reciprocated(k) * a(j, k); }) +
             d.back() * sum_in(g, i, [&](int k) { return d.reciprocated(k) * a(k, j); }) +
             d.back() * sum_in(g, i, [&](int k) { return n(k, j); });
    case ConfigurationType::three_mutual_triad:  // i<>j<>k<>i
      return d.back() * sum_out(g, i, [&](int k, bool r) { return r ? n(k, j) : 0; });
    case ConfigurationType::covariate:
      break;  // not a count of the network: see covariate_value
  }
  return 0;
}

}  // namespace tarn
