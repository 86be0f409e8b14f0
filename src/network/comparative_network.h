#pragma once
// The comparative network: a second relation on the same nodes whose value for a dyad (i, j) is
// the covariate of configuration type 16. Held per sender as the values in the order read; a
// later value for the same dyad replaces an earlier one.

#include <cstdint>
#include <span>
#include <vector>

namespace tarn {

struct ComparativeValue {
  std::int16_t receiver = 0;  // 1..n
  std::int16_t value = 0;     // non-zero
};

struct ComparativeNetwork {
  int node_count = 0;
  // The values of sender i are entries first[i - 1] .. first[i] - 1.
  std::vector<std::int32_t> first = {0};
  std::vector<ComparativeValue> entries;

  std::span<const ComparativeValue> row(int i) const {
    const auto begin = static_cast<std::size_t>(first[static_cast<std::size_t>(i - 1)]);
    const auto end = static_cast<std::size_t>(first[static_cast<std::size_t>(i)]);
    return {entries.data() + begin, end - begin};
  }
  // Writes row i into column[j - 1], j = 1..n: 0 where the dyad has no value.
  void fill_column(int i, std::int16_t* column) const {
    for (int j = 0; j < node_count; ++j) column[j] = 0;
    for (const ComparativeValue& v : row(i)) column[v.receiver - 1] = v.value;
  }
};

}  // namespace tarn
