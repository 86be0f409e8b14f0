#include "kernel/statistic_range.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <vector>

#include "network/fatal_error.h"
#include "kernel/link_store_graph.h"
#include "terms/change_statistics.h"

namespace tarn {

namespace {

constexpr std::int64_t highest16 = std::numeric_limits<int16>::max();
constexpr std::int64_t lowest16 = std::numeric_limits<int16>::min();

// For the dyads of one sender: how many entries each neighbour scan adds to each receiver. Every
// entry adds at most 1 to a statistic (2 to type 14), so these bound the triad types.
struct ScanLengths {
  std::vector<std::int64_t> out_out, out_in, in_out, in_in;

  void count(const Network& net, int i) {
    for (auto* row : {&out_out, &out_in, &in_out, &in_in}) {
      row->assign(static_cast<std::size_t>(net.node_count) + 1, 0);
    }
    for (node_id e : net.out_list(i)) {
      const int k = std::abs(static_cast<int>(e));
      for (node_id m : net.out_list(k)) ++out_out[static_cast<std::size_t>(std::abs(m))];
      for (node_id m : net.in_list(k)) ++out_in[static_cast<std::size_t>(m)];
    }
    for (node_id k : net.in_list(i)) {
      for (node_id m : net.out_list(k)) ++in_out[static_cast<std::size_t>(std::abs(m))];
      for (node_id m : net.in_list(k)) ++in_in[static_cast<std::size_t>(m)];
    }
  }
};

// An upper bound of the change statistic of type t for the dyad (i, j), never below its value.
std::int64_t bound(int t, const Network& net, const ScanLengths& s, int i, int j) {
  const auto at = static_cast<std::size_t>(j);
  const std::int64_t oo = s.out_out[at], oi = s.out_in[at], io = s.in_out[at], ii = s.in_in[at];
  switch (t) {
    case 3:
      return net.out(i);
    case 4:
      return net.in(j);
    case 5:
      return net.in(i) + net.out(j);
    case 6:
      return oo + oi + io;
    case 7:
      return ii;
    case 8:
      return net.mutual(i) + net.out(i) + net.out(j);
    case 9:
      return net.mutual(j) + net.in(i) + net.in(j);
    case 10:
      return net.mutual(i) + net.mutual(j);
    case 11:
      return oi + io;
    case 12:
      return oo + io;
    case 13:
      return oo + oi + io + ii;
    case 14:
      return 2 * oo + oi + 2 * io;
    case 15:
      return oo;
    default:
      return 1;  // type 2 is 0 or 1
  }
}

}  // namespace

std::int64_t statistic_bound(int type, const Network& network, int i, int j) {
  ScanLengths lengths;
  lengths.count(network, i);
  return bound(type, network, lengths, i, j);
}

StatisticOverflow find_statistic_overflow(const Network& network) {
  const int n = network.node_count;
  const LinkStoreGraph graph(network);
  ScanLengths lengths;
  for (int i = 1; i <= n; ++i) {
    lengths.count(network, i);
    for (int j = 1; j <= n; ++j) {
      for (int t = 2; t <= 15; ++t) {
        // Values below zero are small (at least -2): only a high bound needs a look.
        if (bound(t, network, lengths, i, j) <= highest16) continue;
        const std::int64_t value = change_statistic(static_cast<ConfigurationType>(t), graph, i, j);
        if (value > highest16 || value < lowest16) return {t, i, j, value};
      }
    }
  }
  return {};
}

void check_statistic_range(const Network& network, const std::string& source) {
  if (!network.has_repeated_links) return;
  const StatisticOverflow found = find_statistic_overflow(network);
  if (found.type == 0) return;
  throw FatalError(source + ": links given more than once make the change statistic of type " +
                   std::to_string(found.type) + " for the dyad " + std::to_string(found.sender) +
                   " -> " + std::to_string(found.receiver) + " equal to " +
                   std::to_string(found.value) + ", beyond the 16-bit range (" +
                   std::to_string(lowest16) + " to " + std::to_string(highest16) +
                   "); give every link once.");
}

}  // namespace tarn
