#pragma once
// Walker's alias method: draws index k with probability weight[k] / total in constant time.

#include <cstdint>
#include <vector>

#include "simulate/random_stream.h"

namespace tarn {

struct AliasEntry {  // keep the drawn index with probability cutoff, else take its alias
  double cutoff = 1.0;
  std::uint32_t alias = 0;
};

// The table of `weights` (Vose's construction, in index order so that it is the same on every
// machine); at most 2^32 weights, their sum `total`.
std::vector<AliasEntry> alias_entries(const std::vector<double>& weights, double total);

class AliasTable {
 public:
  AliasTable() = default;
  explicit AliasTable(const std::vector<double>& weights);
  std::size_t size() const { return entries_.size(); }
  std::size_t draw(RandomStream& random) const {
    const std::uint64_t k = entries_.size() == 1 ? 0 : random.below(entries_.size());
    const AliasEntry& entry = entries_[k];
    return entry.cutoff >= 1.0 || random.unit() < entry.cutoff ? k : entry.alias;
  }

 private:
  std::vector<AliasEntry> entries_;
};

}  // namespace tarn
