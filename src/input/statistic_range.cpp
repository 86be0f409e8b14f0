#include "input/statistic_range.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace tarn {

namespace {

constexpr std::int64_t highest16 = std::numeric_limits<int16>::max();
constexpr std::int64_t lowest16 = std::numeric_limits<int16>::min();

// The out-list and in-list of a node as [first, first + length) in their tables (1-based).
struct List {
  int first = 1;
  int length = 0;
};

List out_list(const Records& rec, int a) {
  const int length = rec.nodes.out_degree(a);
  return {length > 0 ? rec.links.out_start(a) : 1, length};
}

List in_list(const Records& rec, int a) {
  return {rec.links.in_start(a), rec.nodes.in_degree(a)};
}

}  // namespace

WideStatistics::WideStatistics(const Records& rec) : rec_(rec) {}

void WideStatistics::compute(int i) {
  const Nodes& nodes = rec_.nodes;
  const Links& links = rec_.links;
  const int n = nodes.node_count;
  const std::size_t rows = static_cast<std::size_t>(n);
  for (Row& c : columns_) std::fill_n(c.begin(), rows, 0);
  std::fill_n(tie_.begin(), rows, 0);
  std::fill_n(mutual_.begin(), rows, 0);
  auto at = [](Row& row, int node) -> std::int32_t& { return row[static_cast<std::size_t>(node - 1)]; };

  const List own_out = out_list(rec_, i);
  const List own_in = in_list(rec_, i);
  for (int p = own_out.first; p < own_out.first + own_out.length; ++p) {
    const int e = links.out_target(p);
    at(tie_, std::abs(e)) = 1;
    if (e < 0) at(mutual_, std::abs(e)) = 1;
  }
  Row& c2 = column(2);
  for (int p = own_in.first; p < own_in.first + own_in.length; ++p) at(c2, links.in_source(p)) = 1;

  const std::int32_t out_i = nodes.out_degree(i);
  const std::int32_t in_i = nodes.in_degree(i);
  const std::int32_t mut_i = nodes.mutual_count(i);
  for (int j = 1; j <= n; ++j) {
    const std::int32_t tie = at(tie_, j);
    const std::int32_t mutual = at(mutual_, j);
    const std::int32_t back = at(c2, j);
    at(column(3), j) = out_i - tie;
    at(column(4), j) = nodes.in_degree(j) - tie;
    at(column(5), j) = in_i + nodes.out_degree(j) - 2 * back;
    at(column(8), j) = mut_i - mutual + (back != 0 ? out_i - tie + nodes.out_degree(j) - 1 : 0);
    at(column(9), j) = nodes.mutual_count(j) - mutual +
                       (back != 0 ? in_i - tie + nodes.in_degree(j) - 1 : 0);
    at(column(10), j) = back != 0 ? mut_i + nodes.mutual_count(j) - 2 * mutual : 0;
  }

  Row& c6 = column(6);
  Row& c7 = column(7);
  Row& c11 = column(11);
  Row& c12 = column(12);
  Row& c13 = column(13);
  Row& c14 = column(14);
  Row& c15 = column(15);
  // Triad scans through every out-neighbour k of i: k's out-list, then k's in-list.
  for (int p = own_out.first; p < own_out.first + own_out.length; ++p) {
    const int e1 = links.out_target(p);
    const int k = std::abs(e1);
    const std::int32_t neg1 = e1 < 0 ? 1 : 0;
    const List k_out = out_list(rec_, k);
    for (int q = k_out.first; q < k_out.first + k_out.length; ++q) {
      const int e2 = links.out_target(q);
      const int m = std::abs(e2);
      if (m == i) continue;
      const std::int32_t neg2 = e2 < 0 ? 1 : 0;
      at(c6, m) += 1;
      at(c12, m) += neg2;
      at(c14, m) += neg2 * (at(c2, m) + neg1);
      at(c15, m) += neg1 * neg2 * at(c2, m);
      at(c13, m) += at(c2, m);
    }
    const std::int32_t mut_k = at(mutual_, k);
    const List k_in = in_list(rec_, k);
    for (int q = k_in.first; q < k_in.first + k_in.length; ++q) {
      const int m = links.in_source(q);
      if (m == i) continue;
      at(c6, m) += 1;
      at(c11, m) += at(c2, m);
      at(c13, m) += mut_k;
      at(c14, m) += mut_k * at(c2, m);
    }
  }
  // Through every in-neighbour k of i: k's out-list (in-out scan) and k's in-list (in-in scan).
  for (int p = own_in.first; p < own_in.first + own_in.length; ++p) {
    const int k = links.in_source(p);
    const std::int32_t mut_k = at(mutual_, k);
    const List k_out = out_list(rec_, k);
    for (int q = k_out.first; q < k_out.first + k_out.length; ++q) {
      const int e2 = links.out_target(q);
      const int m = std::abs(e2);
      if (m == i) continue;
      const std::int32_t neg2 = e2 < 0 ? 1 : 0;
      at(c6, m) += 1;
      at(c12, m) += at(c2, m);
      at(c11, m) += mut_k;
      at(c14, m) += mut_k * at(c2, m);
      at(c13, m) += neg2;
      at(c14, m) += neg2 * at(c2, m);
    }
    const List k_in = in_list(rec_, k);
    for (int q = k_in.first; q < k_in.first + k_in.length; ++q) {
      const int m = links.in_source(q);
      if (m == i) continue;
      at(c7, m) += 1;
      at(c13, m) += at(c2, m);
    }
  }
}

std::int64_t statistic_bound(const Records& rec) {
  const Nodes& nodes = rec.nodes;
  const Links& links = rec.links;
  const int n = nodes.node_count;
  std::int64_t most_out = 0;
  std::int64_t most_in = 0;
  std::int64_t most_mutual = 0;
  for (int a = 1; a <= n; ++a) {
    most_out = std::max<std::int64_t>(most_out, nodes.out_degree(a));
    most_in = std::max<std::int64_t>(most_in, nodes.in_degree(a));
    most_mutual = std::max<std::int64_t>(most_mutual, nodes.mutual_count(a));
  }
  std::int64_t bound = 0;
  for (int i = 1; i <= n; ++i) {
    // Lengths of the four scans of sender i: every entry adds at most 1 to a row of each column
    // (2 to column 14 in the out-out and in-out scans).
    std::int64_t out_out = 0, out_in = 0, in_out = 0, in_in = 0;
    const List own_out = out_list(rec, i);
    for (int p = own_out.first; p < own_out.first + own_out.length; ++p) {
      const int k = std::abs(static_cast<int>(links.out_target(p)));
      out_out += nodes.out_degree(k);
      out_in += nodes.in_degree(k);
    }
    const List own_in = in_list(rec, i);
    for (int p = own_in.first; p < own_in.first + own_in.length; ++p) {
      const int k = links.in_source(p);
      in_out += nodes.out_degree(k);
      in_in += nodes.in_degree(k);
    }
    const std::int64_t out_i = nodes.out_degree(i);
    const std::int64_t in_i = nodes.in_degree(i);
    const std::int64_t mut_i = nodes.mutual_count(i);
    for (std::int64_t b : {
             out_i,                                   // 3
             most_in,                                 // 4
             in_i + most_out,                         // 5
             out_out + out_in + in_out,               // 6
             in_in,                                   // 7
             mut_i + out_i + most_out,                // 8
             most_mutual + in_i + most_in,            // 9
             mut_i + most_mutual,                     // 10
             out_in + in_out,                         // 11
             out_out + in_out,                        // 12
             out_out + out_in + in_out + in_in,       // 13
             2 * out_out + out_in + 2 * in_out,       // 14
             out_out,                                 // 15
         }) {
      bound = std::max(bound, b);
    }
  }
  return bound;
}

StatisticOverflow find_statistic_overflow(const Records& rec) {
  StatisticOverflow found;
  // Values below zero are small (at least -2): the scans only add.
  if (statistic_bound(rec) <= highest16) return found;
  auto wide = std::make_unique<WideStatistics>(rec);
  const int n = rec.nodes.node_count;
  for (int i = 1; i <= n; ++i) {
    wide->compute(i);
    for (int j = 1; j <= n; ++j) {
      for (int t = WideStatistics::first_type; t <= WideStatistics::last_type; ++t) {
        const std::int64_t v = wide->value(j, t);
        if (v > highest16 || v < lowest16) {
          found = {t, i, j, v};
          return found;
        }
      }
    }
  }
  return found;
}

}  // namespace tarn
