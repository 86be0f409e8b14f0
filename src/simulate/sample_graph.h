#pragma once
// The network a sampler works on: a simple directed graph on nodes 1..n that changes one dyad at
// a time. It answers the questions of the change-statistic definitions (change_statistics.h) in
// constant time or by walking one node's neighbours, and finds a uniformly chosen link in
// constant time (every link has a place in one list; a node's out-list entries know their place).
//
// Its statistics agree with those of the link store built from the same links: a reciprocated
// pair counts once for each of its nodes, and a self-link counts twice for its node (the link
// store's reciprocity pass meets it from both sides) and is never marked reciprocated.

#include <cstdint>
#include <utility>
#include <vector>

#include "network/network.h"

namespace tarn {

class SampleGraph {
 public:
  // The links of `network`, which must have no link given twice (sample_networks refuses such a
  // network before it builds a graph).
  explicit SampleGraph(const Network& network);
  // An empty graph of n nodes.
  explicit SampleGraph(int node_count);

  int node_count() const { return n_; }
  std::int64_t link_count() const { return static_cast<std::int64_t>(all_links_.size()); }
  bool has_link(int a, int b) const {
    const std::size_t bit = index(a, b);
    return (bits_[bit >> 6] >> (bit & 63)) & 1u;
  }

  // What the change-statistic definitions ask of a graph.
  int out(int a) const { return static_cast<int>(out_[static_cast<std::size_t>(a)].size()); }
  int in(int a) const { return static_cast<int>(in_[static_cast<std::size_t>(a)].size()); }
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
    for (int b : in_[static_cast<std::size_t>(a)]) f(b);
  }

  // Adds the link a->b when it is absent, removes it when present.
  void toggle(int a, int b);
  // Link number k, 0 <= k < link_count(), in an order of the graph's own.
  std::pair<int, int> link_at(std::int64_t k) const {
    return all_links_[static_cast<std::size_t>(k)];
  }
  // The links as a link store (receivers ascending within each sender).
  Network to_network() const;
  // The links, senders ascending, receivers ascending.
  std::vector<std::pair<int, int>> link_list() const;

 private:
  std::size_t index(int a, int b) const {
    return static_cast<std::size_t>(a - 1) * static_cast<std::size_t>(n_) +
           static_cast<std::size_t>(b - 1);
  }
  struct OutEntry {
    int node;        // the receiver
    int link_index;  // the link's place in all_links_
  };
  // The out-list entry of a->b.
  OutEntry& out_entry(int a, int b);

  int n_ = 0;
  std::vector<std::uint64_t> bits_;
  std::vector<std::vector<OutEntry>> out_;  // by node 0..n (entry 0 unused)
  std::vector<std::vector<int>> in_;
  std::vector<int> mutual_;
  std::vector<std::pair<int, int>> all_links_;
};

}  // namespace tarn
