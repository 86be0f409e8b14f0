#pragma once
// The graph that terms read and samplers change: a graph on nodes 1..n, directed or undirected,
// that changes one dyad at a time. It answers the questions of the change statistics in constant
// time or by walking one node's neighbours, and finds a uniformly chosen link in constant time
// (every link has a place in one list; a node's out-list entries know their place).
//
// Directed, it may hold self-links, as the sixteen configuration types count them: a
// reciprocated pair counts once for each of its nodes, and a self-link counts twice for its node
// (as the link store's reciprocity pass meets it from both sides) and is never marked
// reciprocated. Undirected, it holds each edge {a, b} once (a != b): has_link is symmetric, every
// neighbour is both an out- and an in-neighbour, and link_at gives the edge with a < b.
//
// On request it keeps, for every pair of nodes, the number of their shared partners of a kind
// (PartnerTables), updated at every toggle in the time of one neighbour walk: the geometrically
// weighted terms read them in constant time.
//
// Two storages, with the same answers: dense, up to dense_graph_nodes nodes, asks for a link by
// its bit in an n x n bit matrix and keeps the partner counts in n x n tables; sparse, for larger
// networks, asks by a search of the sender's sorted neighbour list and keeps the counts of the
// pairs that have partners only, in hash tables. Its memory grows with the nodes and links.

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "network/network.h"

namespace tarn {

// How a graph stores its links: automatic is dense up to dense_graph_nodes nodes, sparse above.
enum class GraphStorage { automatic, dense, sparse };
inline constexpr int dense_graph_nodes = max_nodes;

// Counts of pairs of nodes, kept for the pairs whose count is not 0: open addressing with linear
// probing on the key a * 2^32 + b, deletion by shifting back. A key and its count share an entry,
// so that a look-up in a table of millions of pairs misses the cache once, not twice.
class PairCounts {
 public:
  int get(int a, int b) const {
    if (entries_.empty()) return 0;
    const std::uint64_t key = key_of(a, b);
    for (std::size_t at = slot(key);; at = (at + 1) & mask_) {
      const std::uint64_t held = entries_[at].key();
      if (held == key) return entries_[at].value;
      if (held == 0) return 0;
    }
  }
  void add(int a, int b, int change);
  std::size_t size() const { return size_; }

 private:
  static std::uint64_t key_of(int a, int b) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
  }
  std::size_t slot(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
  }
  void grow();
  void erase_at(std::size_t at);

  // 12 bytes, the key in halves: at 10^5 nodes, 16-byte entries (none across a cache line) made a
  // chain 4% faster and the program 23% larger.
  struct Entry {
    std::uint32_t high = 0, low = 0;  // the key; 0: empty (node numbers start at 1)
    std::int32_t value = 0;
    std::uint64_t key() const { return (std::uint64_t{high} << 32) | low; }
  };
  std::vector<Entry> entries_;
  std::size_t size_ = 0;
  std::size_t mask_ = 0;
  int shift_ = 64;
};

// Which shared-partner tables a graph keeps. Directed: two_paths(a, b) = #k with a->k->b,
// shared_receivers(a, b) = #k with a->k and b->k, shared_senders(a, b) = #k with k->a and k->b,
// mutual_two_paths(a, b) = #k with a<->k<->b. Undirected: two_paths(a, b) = #k joined to both.
struct PartnerTables {
  bool two_paths = false;
  bool shared_receivers = false;
  bool shared_senders = false;
  bool mutual_two_paths = false;

  PartnerTables& operator|=(const PartnerTables& other) {
    two_paths = two_paths || other.two_paths;
    shared_receivers = shared_receivers || other.shared_receivers;
    shared_senders = shared_senders || other.shared_senders;
    mutual_two_paths = mutual_two_paths || other.mutual_two_paths;
    return *this;
  }
};

class TermGraph {
 public:
  // An empty graph of n nodes.
  explicit TermGraph(int node_count, bool directed = true, PartnerTables kept = {},
                     GraphStorage storage = GraphStorage::automatic);
  // The links of `network`, which must have no link given twice. Undirected, a link a->b is the
  // edge {a, b}; the network must not hold both a->b and b->a, nor self-links.
  explicit TermGraph(const Network& network, bool directed = true, PartnerTables kept = {},
                     GraphStorage storage = GraphStorage::automatic);

  int node_count() const { return n_; }
  bool directed() const { return directed_; }
  // Nodes 1..bipartite() are the first mode of a two-mode network; 0: one mode.
  int bipartite() const { return bipartite_; }
  void set_bipartite(int first_mode) { bipartite_ = first_mode; }
  // dense or sparse, never automatic.
  GraphStorage storage() const { return dense_ ? GraphStorage::dense : GraphStorage::sparse; }
  std::int64_t link_count() const { return static_cast<std::int64_t>(all_links_.size()); }
  bool has_link(int a, int b) const {
    if (!dense_) return in_sorted(sorted_[static_cast<std::size_t>(a)], b);
    const std::size_t bit = bit_index(a, b);
    return (bits_[bit >> 6] >> (bit & 63)) & 1u;
  }
  int tie(int a, int b) const { return has_link(a, b) ? 1 : 0; }

  // What the change statistics of the sixteen types ask of a graph (terms/change_statistics.h).
  int out(int a) const { return static_cast<int>(out_[static_cast<std::size_t>(a)].size()); }
  int in(int a) const {
    return directed_ ? static_cast<int>(in_[static_cast<std::size_t>(a)].size()) : out(a);
  }
  int mutual(int a) const { return mutual_[static_cast<std::size_t>(a)]; }
  int links(int a, int b) const { return has_link(a, b) ? 1 : 0; }
  int reciprocated_links(int a, int b) const {
    return a != b && has_link(a, b) && has_link(b, a) ? 1 : 0;
  }
  template <class F>
  void for_each_out(int a, F f) const {
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      f(e.node, e.node != a && has_link(e.node, a));
    }
  }
  template <class F>
  void for_each_in(int a, F f) const {
    if (!directed_) {
      for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) f(e.node);
      return;
    }
    for (int b : in_[static_cast<std::size_t>(a)]) f(b);
  }
  // The neighbours of a: its receivers, its senders (undirected: both are its neighbours).
  template <class F>
  void for_each_receiver(int a, F f) const {
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) f(e.node);
  }
  template <class F>
  void for_each_sender(int a, F f) const {
    for_each_in(a, f);
  }
  int degree(int a) const { return out(a); }  // undirected

  // The nodes k with a->k and b->k, with k->a and k->b, and with a->k->b: by walking the shorter
  // of the two lists and asking the other by its bit when that list is shorter than a row of the
  // bit matrices, else by the words of the two rows taken together, 64 nodes at a time.
  template <class F>
  void for_each_common_receiver(int a, int b, F f) const {
    if (!dense_) {
      for_each_in_sorted_both(sorted_[std::size_t(a)], sorted_[std::size_t(b)], f);
      return;
    }
    const int shorter = std::min(out(a), out(b));
    if (shorter < words_) {
      const int from = out(a) <= out(b) ? a : b, other = from == a ? b : a;
      for_each_receiver(from, [&](int k) {
        if (has_link(other, k)) f(k);
      });
      return;
    }
    for_each_in_both(bits_.data() + row_offset(a), bits_.data() + row_offset(b), f);
  }
  template <class F>
  void for_each_common_sender(int a, int b, F f) const {
    if (!dense_) {
      const auto& by_receiver = directed_ ? in_ : sorted_;
      for_each_in_sorted_both(by_receiver[std::size_t(a)], by_receiver[std::size_t(b)], f);
      return;
    }
    const int shorter = std::min(in(a), in(b));
    if (shorter < words_) {
      const int from = in(a) <= in(b) ? a : b, other = from == a ? b : a;
      for_each_sender(from, [&](int k) {
        if (has_link(k, other)) f(k);
      });
      return;
    }
    const std::uint64_t* by_receiver = directed_ ? in_bits_.data() : bits_.data();
    for_each_in_both(by_receiver + row_offset(a), by_receiver + row_offset(b), f);
  }
  template <class F>
  void for_each_two_path_middle(int a, int b, F f) const {
    if (!dense_) {
      const auto& by_receiver = directed_ ? in_ : sorted_;
      for_each_in_sorted_both(sorted_[std::size_t(a)], by_receiver[std::size_t(b)], f);
      return;
    }
    if (std::min(out(a), in(b)) < words_) {
      if (out(a) <= in(b)) {
        for_each_receiver(a, [&](int k) {
          if (has_link(k, b)) f(k);
        });
      } else {
        for_each_sender(b, [&](int k) {
          if (has_link(a, k)) f(k);
        });
      }
      return;
    }
    const std::uint64_t* by_receiver = directed_ ? in_bits_.data() : bits_.data();
    for_each_in_both(bits_.data() + row_offset(a), by_receiver + row_offset(b), f);
  }

  // Shared partners of a pair, from the tables kept (see PartnerTables).
  int two_paths(int a, int b) const { return count(two_paths_, two_paths_map_, a, b); }
  int shared_receivers(int a, int b) const {
    return count(shared_receivers_, shared_receivers_map_, a, b);
  }
  int shared_senders(int a, int b) const {
    return count(shared_senders_, shared_senders_map_, a, b);
  }
  int mutual_two_paths(int a, int b) const {
    return count(mutual_two_paths_, mutual_two_paths_map_, a, b);
  }
  const PartnerTables& tables() const { return kept_; }

  // Adds the link a->b (undirected: the edge {a, b}) when it is absent, removes it when present.
  void toggle(int a, int b);
  // Link number k, 0 <= k < link_count(), in an order of the graph's own.
  std::pair<int, int> link_at(std::int64_t k) const {
    return all_links_[static_cast<std::size_t>(k)];
  }
  // The links as a link store (receivers ascending within each sender; undirected: a < b).
  Network to_network() const;
  // The links, senders ascending, receivers ascending (undirected: each edge once, a < b).
  std::vector<std::pair<int, int>> link_list() const;

 private:
  static bool in_sorted(const std::vector<int>& list, int b) {
    if (list.size() <= 16) {
      for (int x : list) {
        if (x >= b) return x == b;
      }
      return false;
    }
    return std::binary_search(list.begin(), list.end(), b);
  }
  int count(const std::vector<std::uint16_t>& table, const PairCounts& map, int a, int b) const {
    return dense_ ? table[index(a, b)] : map.get(a, b);
  }
  std::size_t row_offset(int a) const {
    return static_cast<std::size_t>(a - 1) * static_cast<std::size_t>(words_);
  }
  std::size_t bit_index(int a, int b) const {
    return row_offset(a) * 64 + static_cast<std::size_t>(b - 1);
  }
  // f(k) for every node k whose bit is set in both rows.
  template <class F>
  void for_each_in_both(const std::uint64_t* x, const std::uint64_t* y, F f) const {
    for (int w = 0; w < words_; ++w) {
      std::uint64_t both = x[w] & y[w];
      while (both != 0) {
        f(w * 64 + __builtin_ctzll(both) + 1);
        both &= both - 1;
      }
    }
  }
  // f(k) for every node k in both ascending lists, ascending: the sparse storage's common
  // neighbours by one pass over two lists, not a search of a list per neighbour (at 10^5 nodes
  // those searches, each in another node's list, took a quarter of a chain's time).
  template <class F>
  static void for_each_in_sorted_both(const std::vector<int>& x, const std::vector<int>& y, F f) {
    auto p = x.begin(), q = y.begin();
    while (p != x.end() && q != y.end()) {
      if (*p < *q) {
        ++p;
      } else if (*q < *p) {
        ++q;
      } else {
        f(*p);
        ++p;
        ++q;
      }
    }
  }
  std::size_t index(int a, int b) const {
    return static_cast<std::size_t>(a - 1) * static_cast<std::size_t>(n_) +
           static_cast<std::size_t>(b - 1);
  }
  struct OutEntry {
    int node;        // the receiver
    int link_index;  // the link's place in all_links_, or -1 (undirected: the entry at b of a > b)
  };
  OutEntry& out_entry(int a, int b);
  void flip_bit(int a, int b);
  void update_tables(int a, int b, int change);
  void add_symmetric(std::vector<std::uint16_t>& table, PairCounts& map, int a, int b, int change);
  void add_one(std::vector<std::uint16_t>& table, PairCounts& map, int a, int b, int change);
  void remove_link_entry(int a, int b);

  int n_ = 0;
  bool directed_ = true;
  int bipartite_ = 0;
  bool dense_ = true;
  PartnerTables kept_;
  // 64-bit words per row of a bit matrix; sparse: no bits, and common neighbours are always found
  // by walking the shorter list.
  int words_ = 0;
  std::vector<std::uint64_t> bits_;         // row a: the links a->b (undirected: the edges of a)
  std::vector<std::uint64_t> in_bits_;      // row b: the links a->b (directed only)
  std::vector<std::vector<OutEntry>> out_;  // by node 0..n (entry 0 unused)
  std::vector<std::vector<int>> in_;        // directed only; sparse: ascending
  std::vector<int> mutual_;
  std::vector<std::pair<int, int>> all_links_;
  std::vector<std::uint16_t> two_paths_, shared_receivers_, shared_senders_, mutual_two_paths_;
  // Sparse only: by node 0..n, its receivers (undirected: neighbours) ascending; the counts.
  std::vector<std::vector<int>> sorted_;
  PairCounts two_paths_map_, shared_receivers_map_, shared_senders_map_, mutual_two_paths_map_;
};

}  // namespace tarn
