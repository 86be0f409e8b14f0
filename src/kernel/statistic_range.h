#pragma once
// Whether every change statistic of a network fits the 16-bit statistics table.
//
// Without repeated links no statistic can pass 16 bits: every scan that builds a statistic adds
// at most 2 per neighbour of the sender, so with at most 2000 nodes no value passes 5 x 2000.
// A link given many times counts once per copy, and then the products of degrees can pass 32767.
// The check bounds every statistic of a dyad by the lengths of the neighbour scans that reach it
// (cheap, and enough for almost every dyad), and evaluates the definitions of
// change_statistics.h exactly where that bound is too high.

#include <cstdint>
#include <string>

#include "network/network.h"

namespace tarn {

// A statistic that does not fit 16 bits: its type, sender, receiver and value.
struct StatisticOverflow {
  int type = 0;  // 0: every statistic fits
  int sender = 0;
  int receiver = 0;
  std::int64_t value = 0;
};

// The bound that the check uses for type t (2..15) of the dyad (i, j): never below the value of
// the statistic there (the tests hold it to that).
std::int64_t statistic_bound(int type, const Network& network, int i, int j);

// The first statistic of types 2 to 15 (the full type 6), senders ascending, then receivers,
// then types, that does not fit 16 bits.
StatisticOverflow find_statistic_overflow(const Network& network);

// Ends the run when some statistic does not fit, naming `source` (the file), the statistic and
// the dyad. Networks without repeated links need no check.
void check_statistic_range(const Network& network, const std::string& source);

}  // namespace tarn
