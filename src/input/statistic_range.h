#pragma once
// Whether every change statistic of a network fits the 16-bit statistics table.
//
// Without repeated links no statistic can pass 16 bits: every scan that builds a statistic adds
// at most 2 per neighbour of the sender, so with at most 2000 nodes no value passes 5 x 2000.
// A link given many times counts once per copy in every scan, and then the products of degrees
// can pass 32767. The check below first bounds every statistic by the lengths of the scans
// (cheap, and enough for almost every network); only when that bound is too high does it
// compute the statistics of every sender exactly, in 32 bits, and refuse the network when one of
// them does not fit.

#include <array>
#include <cstdint>
#include <memory>

#include "store/records.h"

namespace tarn {

// The change statistics of types 2 to 15 for one sender and every receiver 1..n, computed in
// 32 bits with every type switched on (the full type 6, not its out-out part alone), by the same
// scans as the statistics table. Needs the complete link store.
class WideStatistics {
 public:
  static constexpr int first_type = 2;
  static constexpr int last_type = 15;

  explicit WideStatistics(const Records& rec);

  void compute(int sender);
  // Row j (1..n) of the column of `type` (2..15) for the last sender computed.
  std::int32_t value(int j, int type) const {
    return columns_[static_cast<std::size_t>(type - first_type)][static_cast<std::size_t>(j - 1)];
  }

 private:
  using Row = std::array<std::int32_t, max_nodes>;
  const Records& rec_;
  std::array<Row, last_type - first_type + 1> columns_{};
  Row tie_{};
  Row mutual_{};

  Row& column(int type) { return columns_[static_cast<std::size_t>(type - first_type)]; }
};

// The highest value that any change statistic of the network can take, by the lengths of the
// neighbour scans (never below the true highest value).
std::int64_t statistic_bound(const Records& rec);

// A statistic that does not fit 16 bits: its type, sender, receiver and value.
struct StatisticOverflow {
  int type = 0;
  int sender = 0;
  int receiver = 0;
  std::int64_t value = 0;
};

// The first statistic (senders ascending, then receivers, then types) that does not fit 16
// bits, or nothing (type 0) when all fit.
StatisticOverflow find_statistic_overflow(const Records& rec);

}  // namespace tarn
