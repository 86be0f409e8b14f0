#pragma once
// The link store of a network as the graph of the change-statistic definitions: links of a
// pair counted with their repetitions and reciprocity marks, looked up by binary search.

#include <cstdint>
#include <vector>

#include "network/network.h"

namespace tarn {

class LinkStoreGraph {
 public:
  explicit LinkStoreGraph(const Network& network);

  int node_count() const { return net_.node_count; }
  int out(int a) const { return net_.out(a); }
  int in(int a) const { return net_.in(a); }
  int mutual(int a) const { return net_.mutual(a); }
  int links(int a, int b) const;
  int reciprocated_links(int a, int b) const;

  template <class F>
  void for_each_out(int a, F f) const {
    for (node_id e : net_.out_list(a)) f(e < 0 ? -e : e, e < 0);
  }
  template <class F>
  void for_each_in(int a, F f) const {
    for (node_id k : net_.in_list(a)) f(k);
  }

 private:
  const Network& net_;
  // Per sender, its out-list sorted by receiver: receiver * 2 + 1 for a reciprocated entry.
  std::vector<std::vector<std::int32_t>> sorted_;
};

}  // namespace tarn
