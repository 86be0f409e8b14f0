#pragma once
// A network whose dyads hold counts (0, 1, 2, ...): the store of valued models. Only the dyads
// of non-zero value are kept, each node's in a list sorted by the other node, so that the store
// grows with the nodes and the non-zero dyads, and iterating over a node's dyads is in one order
// on every machine. Undirected, the dyad {a, b} is in both nodes' lists. Up to dense_limit nodes
// every dyad's value is kept in a table too (16 MB at the limit), so that a value is read in one
// step.

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarn {

struct ValuedEntry {
  int node = 0;
  int value = 0;
};

class ValuedGraph {
 public:
  ValuedGraph(int node_count, bool directed);

  int node_count() const { return n_; }
  bool directed() const { return directed_; }
  // The model's dyads: n(n - 1) directed, n(n - 1) / 2 undirected.
  std::int64_t dyad_count() const;

  static constexpr int dense_limit = 2048;

  // The value of the dyad a -> b (undirected: {a, b}); 0 when it is not kept.
  int value(int a, int b) const {
    if (!dense_.empty()) {
      return dense_[static_cast<std::size_t>(a - 1) * static_cast<std::size_t>(n_) +
                    static_cast<std::size_t>(b - 1)];
    }
    return listed_value(a, b);
  }
  // Sets the dyad's value (0 removes it). a != b.
  void set(int a, int b, int value);

  // The non-zero dyads a -> b of node a, sorted by b (undirected: every neighbour of a).
  const std::vector<ValuedEntry>& out(int a) const { return out_[static_cast<std::size_t>(a)]; }
  // The non-zero dyads b -> a, sorted by b (undirected: the same list as out).
  const std::vector<ValuedEntry>& in(int a) const {
    return directed_ ? in_[static_cast<std::size_t>(a)] : out(a);
  }

  // The non-zero dyads (undirected: a < b), in no fixed order but the same for the same
  // history of changes; dyad k for a uniform draw.
  std::int64_t nonzero_count() const { return static_cast<std::int64_t>(nonzero_.size()); }
  std::pair<int, int> nonzero_dyad(std::int64_t k) const {
    return nonzero_[static_cast<std::size_t>(k)];
  }
  // The sum of the values.
  std::int64_t value_sum() const { return sum_; }

  // The dyads not observed (NA), sorted, undirected (a, b) with a < b: their value is 0 here, the
  // statistics count them so, and the fits leave them out of the observed dyads (ergm's NA
  // edges). Copies share the list.
  std::span<const std::pair<int, int>> missing() const {
    return missing_ ? std::span<const std::pair<int, int>>(*missing_)
                    : std::span<const std::pair<int, int>>();
  }
  void set_missing(std::vector<std::pair<int, int>> dyads);
  bool is_missing(int a, int b) const;

 private:
  int listed_value(int a, int b) const;
  static void put(std::vector<ValuedEntry>& list, int node, int value);
  std::uint64_t key(int a, int b) const;

  int n_ = 0;
  bool directed_ = true;
  std::vector<std::vector<ValuedEntry>> out_, in_;  // by node, 1-based
  std::vector<int> dense_;  // [a - 1][b - 1], both ways undirected; empty past dense_limit
  std::vector<std::pair<int, int>> nonzero_;
  std::unordered_map<std::uint64_t, std::size_t> nonzero_index_;  // looked up only, never walked
  std::int64_t sum_ = 0;
  std::shared_ptr<const std::vector<std::pair<int, int>>> missing_;
};

}  // namespace tarn
