#include "stats/calcfr.h"

#include <array>
#include <cstddef>
#include <utility>

#include "input/comparative_file.h"
#include "stats/block_split.h"

namespace tarn {
namespace {

// Everything the neighbour scans of one sender read and write. All row pointers address row 1
// (entry m - 1 belongs to node m); the lists address their first entry.
struct Scan {
  int i = 0;
  bool out_only = false;  // triad_out_only: the out-in and in-out scans are left out
  const int16* out_degree = nullptr;
  const int16* in_degree = nullptr;
  const int32* out_start = nullptr;
  const int32* in_start = nullptr;
  const int16* out_target = nullptr;
  const int16* in_source = nullptr;
  const int16* mutual = nullptr;  // mutual_row
  const int16* c2 = nullptr;
  int16* c6 = nullptr;
  int16* c7 = nullptr;
  int16* c11 = nullptr;
  int16* c12 = nullptr;
  int16* c13 = nullptr;
  int16* c14 = nullptr;
  int16* c15 = nullptr;

  // Out-list of node a; empty when a has no out-links (out_start is then meaningless).
  const int16* out_list(int a, int& length) const {
    length = out_degree[a - 1];
    return length > 0 ? out_target + (out_start[a - 1] - 1) : out_target;
  }
  const int16* in_list(int a, int& length) const {
    length = in_degree[a - 1];
    return length > 0 ? in_source + (in_start[a - 1] - 1) : in_source;
  }
};

// Bits of the reciprocated-triad switches that the triad scans serve. The scans are compiled
// once per combination of these switches, so their inner loops test no switch.
constexpr unsigned bit11 = 1u, bit12 = 2u, bit13 = 4u, bit14 = 8u, bit15 = 16u;

inline int node_of(int e) {
  return e < 0 ? -e : e;
}

// Out-out scan over k's out-list, for the tie i->k (reciprocated when Neg1).
template <unsigned Mask, bool Neg1>
inline void out_out_scan(const Scan& s, const int16* list, int length) {
  constexpr bool on12 = (Mask & bit12) != 0;
  constexpr bool on13 = (Mask & bit13) != 0;
  constexpr bool on14 = (Mask & bit14) != 0;
  constexpr bool on15 = Neg1 && (Mask & bit15) != 0;
  constexpr int neg1 = Neg1 ? 1 : 0;
  const int i = s.i;
  for (int q = 0; q < length; ++q) {
    const int e2 = list[q];
    const int m = node_of(e2);
    if (m == i) continue;
    const int r = m - 1;
    s.c6[r] += 1;
    if constexpr (on12 || on14 || on15) {
      const int neg2 = e2 < 0 ? 1 : 0;
      if constexpr (on12) s.c12[r] += neg2;
      if constexpr (on14) s.c14[r] += neg2 * (s.c2[r] + neg1);
      if constexpr (on15) s.c15[r] += neg2 * s.c2[r];
    }
    if constexpr (on13) s.c13[r] += s.c2[r];
  }
}

// Out-in scan over k's in-list, for the tie i->k (mutual_row(k) given as Mut).
template <unsigned Mask, bool Mut>
inline void out_in_scan(const Scan& s, const int16* list, int length) {
  constexpr bool on11 = (Mask & bit11) != 0;
  constexpr bool on13 = Mut && (Mask & bit13) != 0;
  constexpr bool on14 = Mut && (Mask & bit14) != 0;
  const int i = s.i;
  for (int q = 0; q < length; ++q) {
    const int m = list[q];
    if (m == i) continue;
    const int r = m - 1;
    s.c6[r] += 1;
    if constexpr (on11) s.c11[r] += s.c2[r];
    if constexpr (on13) s.c13[r] += 1;
    if constexpr (on14) s.c14[r] += s.c2[r];
  }
}

// In-out scan over k's out-list, for the tie k->i (mutual_row(k) given as Mut).
template <unsigned Mask, bool Mut>
inline void in_out_scan(const Scan& s, const int16* list, int length) {
  constexpr bool on11 = Mut && (Mask & bit11) != 0;
  constexpr bool on12 = (Mask & bit12) != 0;
  constexpr bool on13 = (Mask & bit13) != 0;
  constexpr bool on14 = (Mask & bit14) != 0;
  const int i = s.i;
  for (int q = 0; q < length; ++q) {
    const int e2 = list[q];
    const int m = node_of(e2);
    if (m == i) continue;
    const int r = m - 1;
    s.c6[r] += 1;
    if constexpr (on12) s.c12[r] += s.c2[r];
    if constexpr (on11) s.c11[r] += 1;
    if constexpr (on14 && Mut) s.c14[r] += s.c2[r];
    if constexpr (on13 || on14) {
      const int neg2 = e2 < 0 ? 1 : 0;
      if constexpr (on13) s.c13[r] += neg2;
      if constexpr (on14) s.c14[r] += neg2 * s.c2[r];
    }
  }
}

// The triad scans of type 6, which also gather the reciprocated triads 11 to 15.
template <unsigned Mask>
void triad_scans(const Scan& s) {
  const int i = s.i;
  int own_length = 0;
  const int16* own = s.out_list(i, own_length);
  for (int p = 0; p < own_length; ++p) {
    const int e1 = own[p];
    const int k = node_of(e1);
    int length = 0;
    const int16* list = s.out_list(k, length);
    if (e1 < 0) {
      out_out_scan<Mask, true>(s, list, length);
    } else {
      out_out_scan<Mask, false>(s, list, length);
    }
    if (s.out_only) continue;
    // i->k is k's only in-link when in(k) <= 1: nothing to count.
    list = s.in_list(k, length);
    if (length <= 1) continue;
    if (s.mutual[k - 1] == 1) {
      out_in_scan<Mask, true>(s, list, length);
    } else {
      out_in_scan<Mask, false>(s, list, length);
    }
  }
  if (s.out_only) return;
  int in_length = 0;
  const int16* in = s.in_list(i, in_length);
  for (int p = 0; p < in_length; ++p) {
    const int k = in[p];
    int length = 0;
    const int16* list = s.out_list(k, length);
    // k->i is k's only out-link when out(k) <= 1: nothing to count.
    if (length <= 1) continue;
    if (s.mutual[k - 1] == 1) {
      in_out_scan<Mask, true>(s, list, length);
    } else {
      in_out_scan<Mask, false>(s, list, length);
    }
  }
}

using ScanFunction = void (*)(const Scan&);

template <std::size_t... M>
constexpr std::array<ScanFunction, sizeof...(M)> scan_table(std::index_sequence<M...>) {
  return {&triad_scans<static_cast<unsigned>(M)>...};
}

constexpr std::array<ScanFunction, 32> triad_scan_for = scan_table(std::make_index_sequence<32>{});

// The in-in scan of type 7, which also gathers part of type 13.
template <bool On13>
void in_in_scan(const Scan& s) {
  const int i = s.i;
  int in_length = 0;
  const int16* in = s.in_list(i, in_length);
  for (int p = 0; p < in_length; ++p) {
    int length = 0;
    const int16* list = s.in_list(in[p], length);
    for (int q = 0; q < length; ++q) {
      const int m = list[q];
      if (m == i) continue;
      const int r = m - 1;
      s.c7[r] += 1;
      if constexpr (On13) s.c13[r] += s.c2[r];
    }
  }
}

inline void clear(int16* row, int n) {
  for (int j = 0; j < n; ++j) row[j] = 0;
}

}  // namespace

void calcfr(Records& rec, Io& io, int16 i) {
  const int n = rec.nodes.node_count;
  const auto& type_on = rec.flags.type_on;
  auto on = [&type_on](int t) { return type_on(t) == 1; };
  auto& table = rec.stats.change_stat;

  const int16* out_degree = rec.nodes.out_degree.base();
  const int16* in_degree = rec.nodes.in_degree.base();
  const int16* mutual_count = rec.nodes.mutual_count.base();
  const int out_i = out_degree[i - 1];
  const int in_i = in_degree[i - 1];
  const int mut_i = mutual_count[i - 1];

  Scan s;
  s.i = i;
  s.out_only = rec.triad_out_only() == 1;
  s.out_degree = out_degree;
  s.in_degree = in_degree;
  s.out_start = rec.links.out_start.base();
  s.in_start = rec.links.in_start.base();
  s.out_target = rec.links.out_target.base();
  s.in_source = rec.links.in_source.base();

  // Tie row and mutual_row (column 64, working storage until the block split).
  int16* tie = rec.data.tie_row.base();
  int16* mutual = table.column(max_params);
  s.mutual = mutual;
  clear(tie, n);
  clear(mutual, n);
  {
    int length = 0;
    const int16* own = s.out_list(i, length);
    for (int p = 0; p < length; ++p) {
      const int e = own[p];
      tie[node_of(e) - 1] = 1;
      if (e < 0) mutual[node_of(e) - 1] = 1;
    }
  }

  // Type 2: row j is x(j, i).
  int16* c2 = table.column(2);
  s.c2 = c2;
  if (on(2)) {
    clear(c2, n);
    int length = 0;
    const int16* in = s.in_list(i, length);
    for (int p = 0; p < length; ++p) c2[in[p] - 1] = 1;
  }

  if (on(3)) {
    int16* c3 = table.column(3);
    for (int j = 0; j < n; ++j) c3[j] = static_cast<int16>(out_i - tie[j]);
  }
  if (on(4)) {
    int16* c4 = table.column(4);
    for (int j = 0; j < n; ++j) c4[j] = static_cast<int16>(in_degree[j] - tie[j]);
  }
  if (on(5)) {
    int16* c5 = table.column(5);
    for (int j = 0; j < n; ++j) c5[j] = static_cast<int16>(in_i + out_degree[j] - 2 * c2[j]);
  }

  // Type 6: the triad scans, gathering the switched-on types among 11 to 15.
  if (on(6)) {
    s.c6 = table.column(6);
    clear(s.c6, n);
    unsigned mask = 0;
    int16** reciprocated[5] = {&s.c11, &s.c12, &s.c13, &s.c14, &s.c15};
    for (int t = 11; t <= 15; ++t) {
      if (!on(t)) continue;
      int16* column = table.column(t);
      *reciprocated[t - 11] = column;
      clear(column, n);
      mask |= 1u << (t - 11);
    }
    triad_scan_for[mask](s);
  }

  // Type 7: the in-in scan.
  if (on(7)) {
    s.c7 = table.column(7);
    clear(s.c7, n);
    if (on(13)) {
      s.c13 = table.column(13);
      in_in_scan<true>(s);
    } else {
      in_in_scan<false>(s);
    }
  }

  if (on(8)) {
    int16* c8 = table.column(8);
    for (int j = 0; j < n; ++j) {
      const int extra = c2[j] != 0 ? out_i - tie[j] + out_degree[j] - 1 : 0;
      c8[j] = static_cast<int16>(mut_i - mutual[j] + extra);
    }
  }
  if (on(9)) {
    int16* c9 = table.column(9);
    for (int j = 0; j < n; ++j) {
      const int extra = c2[j] != 0 ? in_i - tie[j] + in_degree[j] - 1 : 0;
      c9[j] = static_cast<int16>(mutual_count[j] - mutual[j] + extra);
    }
  }
  if (on(10)) {
    int16* c10 = table.column(10);
    for (int j = 0; j < n; ++j) {
      c10[j] = static_cast<int16>(c2[j] != 0 ? mut_i + mutual_count[j] - 2 * mutual[j] : 0);
    }
  }

  if (on(16)) comparative_step(rec, io, i);

  // Last: the block split may overwrite column 64, which served as mutual_row above.
  if (rec.blocks.block_attr != 0) block_split(rec, i);
}

}  // namespace tarn
