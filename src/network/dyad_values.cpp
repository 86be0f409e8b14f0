#include "network/dyad_values.h"

#include <algorithm>

namespace tarn {

DyadValues::DyadValues(int node_count, std::vector<Entry> entries) : n_(node_count) {
  // Stable, so that of two entries for one dyad the later stays last and wins.
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.sender != b.sender ? a.sender < b.sender : a.receiver < b.receiver;
  });
  first_.assign(static_cast<std::size_t>(node_count) + 1, 0);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const Entry& e = entries[k];
    if (k + 1 < entries.size() && entries[k + 1].sender == e.sender &&
        entries[k + 1].receiver == e.receiver) {
      continue;
    }
    if (e.value == 0.0) continue;
    receiver_.push_back(e.receiver);
    value_.push_back(e.value);
    ++first_[static_cast<std::size_t>(e.sender)];
  }
  for (std::size_t i = 1; i < first_.size(); ++i) first_[i] += first_[i - 1];
}

DyadValues DyadValues::of(const ComparativeNetwork& comparative) {
  std::vector<Entry> entries;
  entries.reserve(comparative.entries.size());
  for (int i = 1; i <= comparative.node_count; ++i) {
    for (const ComparativeValue& v : comparative.row(i)) {
      entries.push_back({i, v.receiver, static_cast<double>(v.value)});
    }
  }
  return DyadValues(comparative.node_count, std::move(entries));
}

double DyadValues::at(int i, int j) const {
  const auto row = receivers(i);
  const auto at = std::lower_bound(row.begin(), row.end(), j);
  if (at == row.end() || *at != j) return 0.0;
  return values(i)[static_cast<std::size_t>(at - row.begin())];
}

}  // namespace tarn
