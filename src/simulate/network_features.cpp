#include "simulate/network_features.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <span>

#include "network/capacity.h"
#include "simulate/random_stream.h"

namespace tarn {

namespace {

using Counts = std::vector<std::int64_t>;

// The distinct links without self-links, nodes 0..n-1: as sorted out-lists and as sorted lists of
// the neighbours in either direction, and, up to max_nodes nodes, as a bit matrix for
// constant-time tests (beyond, a test searches the sorted out-list: an n x n matrix of 10^6
// nodes would take 125 GB).
class LinkViews {
 public:
  // `symmetric`: every link is taken both ways, so that out() lists a node's neighbours.
  LinkViews(const Network& network, bool symmetric);

  int nodes() const { return n_; }
  std::int64_t links() const { return static_cast<std::int64_t>(out_nodes_.size()); }
  bool has(int i, int j) const {
    if (matrix_.empty()) {
      const std::span<const int> list = out(i);
      return std::binary_search(list.begin(), list.end(), j);
    }
    const auto word = static_cast<std::size_t>(i) * words_ + static_cast<std::size_t>(j >> 6);
    return (matrix_[word] >> (j & 63)) & 1U;
  }
  std::span<const int> out(int i) const { return slice(out_nodes_, out_first_, i); }
  // Neighbours in either direction; the same index in neighbour_bits() gives bit 0 for i->w and
  // bit 1 for w->i.
  std::span<const int> neighbours(int i) const { return slice(any_nodes_, any_first_, i); }
  std::span<const std::uint8_t> neighbour_bits(int i) const {
    return slice(any_bits_, any_first_, i);
  }
  std::vector<std::int64_t> in_degrees() const;

 private:
  template <typename T>
  static std::span<const T> slice(const std::vector<T>& items,
                                  const std::vector<std::size_t>& first, int i) {
    const auto at = static_cast<std::size_t>(i);
    return {items.data() + first[at], first[at + 1] - first[at]};
  }
  void fill_neighbours(const Network& network, bool symmetric);
  void sort_neighbours();

  int n_ = 0;
  std::size_t words_ = 0;
  std::vector<std::uint64_t> matrix_;
  std::vector<std::size_t> out_first_;
  std::vector<int> out_nodes_;
  std::vector<std::size_t> any_first_;
  std::vector<int> any_nodes_;
  std::vector<std::uint8_t> any_bits_;
};

// Each link i->j enters i's list as j with bit 0 and j's list as i with bit 1 (symmetric: both
// bits), rows laid out by counting.
void LinkViews::fill_neighbours(const Network& network, bool symmetric) {
  const auto n = static_cast<std::size_t>(n_);
  const auto each_link = [&](auto f) {
    for (int i = 0; i < n_; ++i) {
      for (const node_id entry : network.out_list(i + 1)) {
        const int j = std::abs(static_cast<int>(entry)) - 1;
        if (j != i) f(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
      }
    }
  };
  any_first_.assign(n + 1, 0);
  each_link([&](std::size_t i, std::size_t j) {
    ++any_first_[i + 1];
    ++any_first_[j + 1];
  });
  for (std::size_t i = 0; i < n; ++i) any_first_[i + 1] += any_first_[i];
  any_nodes_.resize(any_first_[n]);
  any_bits_.resize(any_first_[n]);
  std::vector<std::size_t> next(any_first_.begin(), any_first_.end() - 1);
  const std::uint8_t sent = symmetric ? 3 : 1, received = symmetric ? 3 : 2;
  each_link([&](std::size_t i, std::size_t j) {
    any_nodes_[next[i]] = static_cast<int>(j);
    any_bits_[next[i]++] = sent;
    any_nodes_[next[j]] = static_cast<int>(i);
    any_bits_[next[j]++] = received;
  });
}

// Every row ascending, repeats merged (their bits joined); the out-lists are the entries with bit
// 0.
void LinkViews::sort_neighbours() {
  const auto n = static_cast<std::size_t>(n_);
  std::vector<std::pair<int, std::uint8_t>> row;
  std::size_t kept = 0;
  out_first_.assign(n + 1, 0);
  for (std::size_t i = 0; i < n; ++i) {
    row.clear();
    for (std::size_t k = any_first_[i]; k < any_first_[i + 1]; ++k) {
      row.emplace_back(any_nodes_[k], any_bits_[k]);
    }
    std::sort(row.begin(), row.end());
    any_first_[i] = kept;
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (k > 0 && row[k].first == row[k - 1].first) {
        any_bits_[kept - 1] |= row[k].second;
        continue;
      }
      any_nodes_[kept] = row[k].first;
      any_bits_[kept++] = row[k].second;
    }
    for (std::size_t k = any_first_[i]; k < kept; ++k) {
      if (any_bits_[k] & 1U) out_nodes_.push_back(any_nodes_[k]);
    }
    out_first_[i + 1] = out_nodes_.size();
  }
  any_first_[n] = kept;
  any_nodes_.resize(kept);
  any_bits_.resize(kept);
}

LinkViews::LinkViews(const Network& network, bool symmetric)
    : n_(network.node_count), words_(static_cast<std::size_t>((n_ + 63) / 64)) {
  fill_neighbours(network, symmetric);
  sort_neighbours();
  if (n_ > max_nodes) return;
  matrix_.assign(static_cast<std::size_t>(n_) * words_, 0);
  for (int i = 0; i < n_; ++i) {
    for (const int j : out(i)) {
      const auto ju = static_cast<std::size_t>(j);
      matrix_[static_cast<std::size_t>(i) * words_ + ju / 64] |= std::uint64_t{1} << (ju % 64);
    }
  }
}

std::vector<std::int64_t> LinkViews::in_degrees() const {
  std::vector<std::int64_t> degree(static_cast<std::size_t>(n_), 0);
  for (const int j : out_nodes_) ++degree[static_cast<std::size_t>(j)];
  return degree;
}

void add_to(Counts& counts, std::size_t value, std::int64_t amount = 1) {
  if (value >= counts.size()) counts.resize(value + 1, 0);
  counts[value] += amount;
}

// counts / total, ending at the last non-zero entry, at least one entry.
std::vector<double> shares(Counts counts, std::int64_t total) {
  while (counts.size() > 1 && counts.back() == 0) counts.pop_back();
  if (counts.empty() || total == 0) return {0.0};
  std::vector<double> result(counts.size());
  const auto denominator = static_cast<double>(total);
  for (std::size_t k = 0; k < counts.size(); ++k) {
    result[k] = static_cast<double>(counts[k]) / denominator;
  }
  return result;
}

std::vector<double> degree_shares(const std::vector<std::int64_t>& degree_of_node) {
  Counts counts;
  for (const std::int64_t degree : degree_of_node) add_to(counts, static_cast<std::size_t>(degree));
  return shares(std::move(counts), static_cast<std::int64_t>(degree_of_node.size()));
}

std::int64_t ordered_pairs(int n) {
  return static_cast<std::int64_t>(n) * (n - 1);
}

// Shared partners of the links and of the pairs among the nodes first..end-1.
struct SharedPartnerCounts {
  Counts edgewise, dyadwise;
};

// Two-paths i->m->j counted for one sender i at a time, i among first..end-1; a two-mode
// network's range is one mode, whose two-paths end in the same mode. Undirected (symmetric
// views), each pair once: the receivers j > i. Only the receivers with partners are visited;
// the other pairs of i are counted at 0 together.
SharedPartnerCounts shared_partner_counts(const LinkViews& links, bool directed, int first,
                                          int end) {
  SharedPartnerCounts counts;
  std::vector<int> partners(static_cast<std::size_t>(links.nodes()), 0);
  std::vector<int> touched;
  for (int i = first; i < end; ++i) {
    for (const int m : links.out(i)) {
      for (const int j : links.out(m)) {
        if (partners[static_cast<std::size_t>(j)]++ == 0) touched.push_back(j);
      }
    }
    std::int64_t with_partners = 0;
    for (const int j : touched) {
      if (j == i || (!directed && j < i)) continue;
      add_to(counts.dyadwise, static_cast<std::size_t>(partners[static_cast<std::size_t>(j)]));
      ++with_partners;
    }
    const std::int64_t pairs_of_i = directed ? end - first - 1 : end - 1 - i;
    add_to(counts.dyadwise, 0, pairs_of_i - with_partners);
    for (const int j : links.out(i)) {
      if (directed || j > i) {
        add_to(counts.edgewise, static_cast<std::size_t>(partners[static_cast<std::size_t>(j)]));
      }
    }
    for (const int j : touched) partners[static_cast<std::size_t>(j)] = 0;
    touched.clear();
  }
  return counts;
}

void add_shared_partners(const LinkViews& links, bool directed, NetworkFeatures& features) {
  const int n = links.nodes();
  SharedPartnerCounts counts = shared_partner_counts(links, directed, 0, n);
  const std::int64_t pairs = directed ? ordered_pairs(n) : ordered_pairs(n) / 2;
  features.edgewise_shared =
      shares(std::move(counts.edgewise), directed ? links.links() : links.links() / 2);
  features.dyadwise_shared = shares(std::move(counts.dyadwise), pairs);
}

// A two-mode network's degrees and shared partners, one mode at a time: a pair of different
// modes shares no partner and a link none (there are no triangles).
void add_two_mode_features(const LinkViews& links, int first_mode, NetworkFeatures& features) {
  const int n = links.nodes();
  for (const int mode : {1, 2}) {
    const int first = mode == 1 ? 0 : first_mode;
    const int end = mode == 1 ? first_mode : n;
    std::vector<std::int64_t> degrees;
    for (int i = first; i < end; ++i) {
      degrees.push_back(static_cast<std::int64_t>(links.out(i).size()));
    }
    SharedPartnerCounts counts = shared_partner_counts(links, false, first, end);
    features.mode_degree[mode - 1] = degree_shares(degrees);
    features.mode_dyadwise_shared[mode - 1] =
        shares(std::move(counts.dyadwise), ordered_pairs(end - first) / 2);
  }
}

// The sources of the geodesic distances: every node up to geodesic_exact_nodes nodes, otherwise
// geodesic_sampled_sources of them drawn without replacement (a partial shuffle) from a stream
// fixed by the node count, so that the observed and the simulated networks are measured from the
// same sources and their shares differ by the networks, not by the draw. Ascending.
std::vector<int> geodesic_sources(int n) {
  std::vector<int> nodes(static_cast<std::size_t>(n));
  for (int v = 0; v < n; ++v) nodes[static_cast<std::size_t>(v)] = v;
  if (n <= geodesic_exact_nodes) return nodes;
  RandomStream random(geodesic_source_seed, static_cast<std::uint64_t>(n));
  const auto kept = static_cast<std::size_t>(geodesic_sampled_sources);
  for (std::size_t k = 0; k < kept; ++k) {
    const std::size_t pick = k + random.below(nodes.size() - k);
    std::swap(nodes[k], nodes[pick]);
  }
  nodes.resize(kept);
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

// Breadth-first searches from 64 sources at once: bit s of reached[v] says that source s of the
// batch has a path to v. The shares are of the pairs (source, other node).
void add_geodesics(const LinkViews& links, NetworkFeatures& features) {
  const int n = links.nodes();
  const auto size = static_cast<std::size_t>(n);
  const std::vector<int> sources = geodesic_sources(n);
  Counts by_length;
  std::int64_t connected = 0;
  std::vector<std::uint64_t> reached(size), frontier(size), next(size);
  for (std::size_t base = 0; base < sources.size(); base += 64) {
    std::fill(reached.begin(), reached.end(), 0);
    std::fill(frontier.begin(), frontier.end(), 0);
    for (std::size_t s = base; s < std::min(sources.size(), base + 64); ++s) {
      const auto source = static_cast<std::size_t>(sources[s]);
      reached[source] = std::uint64_t{1} << (s - base);
      frontier[source] = reached[source];
    }
    for (std::size_t length = 1;; ++length) {
      std::fill(next.begin(), next.end(), 0);
      for (int u = 0; u < n; ++u) {
        const std::uint64_t from = frontier[static_cast<std::size_t>(u)];
        if (from == 0) continue;
        for (const int v : links.out(u)) next[static_cast<std::size_t>(v)] |= from;
      }
      std::int64_t found = 0;
      for (std::size_t v = 0; v < size; ++v) {
        next[v] &= ~reached[v];
        reached[v] |= next[v];
        found += std::popcount(next[v]);
      }
      if (found == 0) break;
      add_to(by_length, length - 1, found);
      connected += found;
      frontier.swap(next);
    }
  }
  features.node_count = n;
  features.geodesic_sources = static_cast<std::int64_t>(sources.size());
  const std::int64_t pairs = n < 2 ? 0 : features.geodesic_sources * (n - 1);
  features.geodesic = shares(std::move(by_length), pairs);
  features.unreachable =
      pairs == 0 ? 0.0 : static_cast<double>(pairs - connected) / static_cast<double>(pairs);
}

// The type (index into the census) of a triad (v, u, w) from its code
// a(v,u) + 2a(u,v) + 4a(v,w) + 8a(w,v) + 16a(u,w) + 32a(w,u), a(x,y) = 1 for a link x->y.
constexpr std::array<std::uint8_t, 64> triad_type_of_code = {
    0, 1,  1,  2,  1, 3,  5, 7,  1,  5,  4,  6,  2, 7,  6,  10, 1,  5,  3,  7, 4, 8,
    8, 12, 5,  9,  8, 13, 6, 13, 11, 14, 1,  4,  5, 6,  5,  8,  9,  13, 3,  8, 8, 11,
    7, 12, 13, 14, 2, 6,  7, 10, 6,  11, 13, 14, 7, 13, 12, 14, 10, 14, 14, 15};

// Batagelj and Mrvar (2001): every triad with a link is counted once, from its connected pair
// (v, u) with v < u, by the rule on the third node w that picks one pair per triad.
void add_triad_census(const LinkViews& links, NetworkFeatures& features) {
  const int n = links.nodes();
  auto& census = features.triad_census;
  census.fill(0);
  // bits[w]: direction bits of w against the current v (bit 0 v->w, bit 1 w->v); 0 if none.
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(n), 0);
  for (int v = 0; v < n; ++v) {
    const auto around_v = links.neighbours(v);
    const auto bits_v = links.neighbour_bits(v);
    for (std::size_t k = 0; k < around_v.size(); ++k) {
      bits[static_cast<std::size_t>(around_v[k])] = bits_v[k];
    }
    for (std::size_t k = 0; k < around_v.size(); ++k) {
      const int u = around_v[k];
      if (u < v) continue;
      const unsigned pair_code = bits_v[k];
      // Third nodes linked to v: those after u in v's sorted list are counted here.
      std::int64_t linked = static_cast<std::int64_t>(around_v.size()) - 1;
      for (std::size_t m = k + 1; m < around_v.size(); ++m) {
        const int w = around_v[m];
        const unsigned code = pair_code + 4U * bits_v[m] + 16U * (links.has(u, w) ? 1U : 0U) +
                              32U * (links.has(w, u) ? 1U : 0U);
        ++census[triad_type_of_code[code]];
      }
      // Third nodes linked to u only: those after v are counted here.
      const auto around_u = links.neighbours(u);
      const auto bits_u = links.neighbour_bits(u);
      for (std::size_t m = 0; m < around_u.size(); ++m) {
        const int w = around_u[m];
        if (w == v || bits[static_cast<std::size_t>(w)] != 0) continue;
        ++linked;
        if (w > v) ++census[triad_type_of_code[pair_code + 16U * bits_u[m]]];
      }
      // Third nodes linked to neither.
      census[pair_code == 3 ? 2 : 1] += n - 2 - linked;
    }
    for (const int w : around_v) bits[static_cast<std::size_t>(w)] = 0;
  }
  const std::int64_t all = n < 3 ? 0 : static_cast<std::int64_t>(n) * (n - 1) * (n - 2) / 6;
  std::int64_t with_links = 0;
  for (std::size_t t = 1; t < census.size(); ++t) with_links += census[t];
  census[0] = all - with_links;
}

}  // namespace

NetworkFeatures network_features(const Network& network) {
  const LinkViews links(network, false);
  NetworkFeatures features;
  std::vector<std::int64_t> out_degrees(static_cast<std::size_t>(links.nodes()));
  for (int i = 0; i < links.nodes(); ++i) {
    out_degrees[static_cast<std::size_t>(i)] = static_cast<std::int64_t>(links.out(i).size());
  }
  features.out_degree = degree_shares(out_degrees);
  features.in_degree = degree_shares(links.in_degrees());
  add_shared_partners(links, true, features);
  add_geodesics(links, features);
  add_triad_census(links, features);
  return features;
}

// The geodesics of the symmetric views count every unordered pair twice, over twice the pairs:
// the same shares.
NetworkFeatures undirected_network_features(const Network& network) {
  const LinkViews links(network, true);
  NetworkFeatures features;
  features.directed = false;
  std::vector<std::int64_t> degrees(static_cast<std::size_t>(links.nodes()));
  for (int i = 0; i < links.nodes(); ++i) {
    degrees[static_cast<std::size_t>(i)] = static_cast<std::int64_t>(links.out(i).size());
  }
  if (network.bipartite > 0) {
    features.first_mode = network.bipartite;
    add_two_mode_features(links, network.bipartite, features);
  } else {
    features.degree = degree_shares(degrees);
    add_shared_partners(links, false, features);
  }
  add_geodesics(links, features);
  return features;
}

}  // namespace tarn
