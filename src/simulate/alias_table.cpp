#include "simulate/alias_table.h"

namespace tarn {

std::vector<AliasEntry> alias_entries(const std::vector<double>& weights, double total) {
  const std::size_t n = weights.size();
  std::vector<AliasEntry> table(n);
  std::vector<std::uint32_t> small, large;
  for (std::size_t k = 0; k < n; ++k) {
    table[k].cutoff = weights[k] * static_cast<double>(n) / total;
    (table[k].cutoff < 1.0 ? small : large).push_back(static_cast<std::uint32_t>(k));
  }
  while (!small.empty() && !large.empty()) {
    const std::uint32_t s = small.back(), l = large.back();
    small.pop_back();
    table[s].alias = l;
    table[l].cutoff -= 1.0 - table[s].cutoff;
    if (table[l].cutoff < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
  for (std::uint32_t k : large) table[k].cutoff = 1.0;
  for (std::uint32_t k : small) table[k].cutoff = 1.0;  // rounding left over
  return table;
}

AliasTable::AliasTable(const std::vector<double>& weights) {
  double total = 0.0;
  for (double w : weights) total += w;
  entries_ = alias_entries(weights, total);
}

}  // namespace tarn
