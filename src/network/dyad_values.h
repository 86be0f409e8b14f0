#pragma once
// Values of the dyads of a network, most of them 0: a dyadic covariate (the comparative network
// of type 16, an edgecov file). Each row is kept sorted by receiver, so that the value of a dyad
// is found by a binary search in its sender's row.

#include <cstdint>
#include <span>
#include <tuple>
#include <vector>

#include "network/comparative_network.h"

namespace tarn {

class DyadValues {
 public:
  struct Entry {
    int sender = 0, receiver = 0;  // 1..n
    double value = 0.0;
  };
  DyadValues() = default;
  // A later entry for the same dyad replaces an earlier one; entries of value 0 are dropped.
  DyadValues(int node_count, std::vector<Entry> entries);
  static DyadValues of(const ComparativeNetwork& comparative);

  int node_count() const { return n_; }
  double at(int i, int j) const;
  // The dyads of sender i with a non-zero value, receivers ascending.
  std::span<const int> receivers(int i) const {
    return {receiver_.data() + first_[static_cast<std::size_t>(i - 1)], row_length(i)};
  }
  std::span<const double> values(int i) const {
    return {value_.data() + first_[static_cast<std::size_t>(i - 1)], row_length(i)};
  }

 private:
  std::size_t row_length(int i) const {
    return static_cast<std::size_t>(first_[static_cast<std::size_t>(i)] -
                                    first_[static_cast<std::size_t>(i - 1)]);
  }
  int n_ = 0;
  std::vector<std::int64_t> first_ = {0};
  std::vector<int> receiver_;
  std::vector<double> value_;
};

}  // namespace tarn
