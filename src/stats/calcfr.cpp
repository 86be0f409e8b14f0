#include "stats/calcfr.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "input/comparative_file.h"
#include "stats/block_split.h"

namespace tarn {
namespace {

// Everything the neighbour scans of one sender read. All row pointers address row 1 (entry m - 1
// belongs to node m); the lists address their first entry.
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

inline int node_of(int e) {
  return e < 0 ? -e : e;
}

// The neighbour scans of types 6, 7 and 11 to 15 count, for every receiver m, the two-paths
// between i and m of each kind; the columns are sums of these counts, some of them taken only
// where x(m, i) = 1 (column 2). Every list entry adds 1 to one 16-bit counter: one array of
// counters per kind of scan, and an out-list entry counts at its signed value, so that an entry
// for a reciprocated tie goes to another counter than one for an unreciprocated tie without any
// scan looking at the sign. Kinds:
//   out-lists: oo0, oo1  out-out paths i->k->m, with i->k unreciprocated, reciprocated
//              io0, io1  in-out paths i<-k->m, with i->k absent or unreciprocated, reciprocated
//   in-lists:  oi0, oi1  out-in paths i->k<-m, with i->k unreciprocated, reciprocated
//              ii        in-in paths i<-k<-m
// With P the counts at +m (unreciprocated entries, and every in-list entry) and N those at -m
// (reciprocated entries), and c2 = x(m, i):
//   A = oo0 + oo1 (P and N)   B = N.oo0 + N.oo1    C = N.oo1
//   D = P.oi0 + P.oi1         F = io0 + io1 (P and N)   G = P.io1 + N.io1   I = P.ii
//   EH = P.oi1 + N.io0 + N.io1 (the out-in paths with i<->k and the in-out paths with k<->m)
//   column 6 = A + D + F      column 7 = I         column 11 = c2 D + G
//   column 12 = B + c2 F      column 13 = c2 (A + I) + EH
//   column 14 = c2 (B + EH + G) + C                column 15 = c2 C
// which are the sums that the scans of types 6, 7 and 11 to 15 add term by term. The counts are
// integers and the 16-bit arithmetic is the columns' own, so the order of the additions changes
// nothing. An entry m = i is counted too and its counters are then thrown away, as the scans pass
// over m = i.
//
// A reciprocated tie i<->k makes k both an out- and an in-neighbour of i, and its lists are then
// scanned twice each (out-out and in-out, out-in and in-in). Where no link of i is given twice,
// each list is scanned once instead, into the kinds ro (counted as oo1 and as io1) and ri
// (counted as oi1 and as ii).
enum Kind { oo0, oo1, io0, io1, ro, oi0, oi1, ii, ri, kinds };

// The counters of one sender: kind t, signed entry e at counters[t][max_nodes + e]. All zero
// between calls: the columns are read off them and they are cleared in the same pass.
alignas(16) thread_local std::int16_t counters[kinds][2 * max_nodes + 8];

// Marks of the nodes met in the lists of the current sender, to find links given twice.
thread_local std::uint32_t out_mark[max_nodes + 1];
thread_local std::uint32_t in_mark[max_nodes + 1];
thread_local std::uint32_t mark_serial = 0;

// True when no node appears twice in i's out-list or twice in its in-list.
bool lists_without_repeats(const int16* own, int own_length, const int16* in, int in_length) {
  if (++mark_serial == 0) {  // after 2^32 calls: start the marks afresh
    for (auto& m : out_mark) m = 0;
    for (auto& m : in_mark) m = 0;
    mark_serial = 1;
  }
  const std::uint32_t serial = mark_serial;
  for (int p = 0; p < own_length; ++p) {
    const int k = node_of(own[p]);
    if (out_mark[k] == serial) return false;
    out_mark[k] = serial;
  }
  for (int p = 0; p < in_length; ++p) {
    const int k = in[p];
    if (in_mark[k] == serial) return false;
    in_mark[k] = serial;
  }
  return true;
}

// Adds 1 to the counter of every entry of a list.
inline void add_list(std::int16_t* count, const int16* list, int length) {
  for (int q = 0; q < length; ++q) ++count[list[q]];
}

using Lanes = std::int16_t __attribute__((vector_size(16)));

inline Lanes load_lanes(const std::int16_t* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store_lanes(std::int16_t* p, Lanes v) {
  std::memcpy(p, &v, sizeof v);
}
// The counters at -m .. -(m + 7), in the order of m.
inline Lanes load_negative(const std::int16_t* count, int m) {
  const Lanes v = load_lanes(count - m - 7);
  return __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
}

// The sums of the counters that make up columns 6, 7 and 11 to 15, for eight rows at a time or,
// with the same formulas, for one row (T = int).
template <class T>
struct Columns {
  T c6, c7, c11, c12, c13, c14, c15;
};

// p and q: the counters at +m and -m by kind; mask: 0 - c2 (all bits set where c2 = 1).
template <class T, bool Reciprocated>
inline Columns<T> combine(T* p, T* q, T mask) {
  p[oo1] += p[ro];
  p[io1] += p[ro];
  q[oo1] += q[ro];
  q[io1] += q[ro];
  p[oi1] += p[ri];
  p[ii] += p[ri];
  Columns<T> out{};
  const T a = p[oo0] + p[oo1] + q[oo0] + q[oo1];
  const T d = p[oi0] + p[oi1];
  const T f = p[io0] + p[io1] + q[io0] + q[io1];
  out.c6 = a + d + f;
  out.c7 = p[ii];
  if constexpr (Reciprocated) {
    // c2 is 0 or 1, so c2 times a count is the count "and" 0 - c2.
    const T b = q[oo0] + q[oo1];
    const T c = q[oo1];
    const T eh = p[oi1] + q[io0] + q[io1];
    const T g = p[io1] + q[io1];
    out.c11 = (d & mask) + g;
    out.c12 = b + (f & mask);
    out.c13 = ((a + p[ii]) & mask) + eh;
    out.c14 = ((b + eh + g) & mask) + c;
    out.c15 = c & mask;
  }
  return out;
}

// Columns 6, 7 and 11 to 15 (those not null) of rows 1..n from the counters, which are cleared.
template <bool Reciprocated>
void read_off(int n, const int16* c2, int16* const* column) {
  std::int16_t* base[kinds];
  for (int t = 0; t < kinds; ++t) base[t] = counters[t] + max_nodes;
  int16* c6 = column[6];
  int16* c7 = column[7];
  int16* c11 = column[11];
  int16* c12 = column[12];
  int16* c13 = column[13];
  int16* c14 = column[14];
  int16* c15 = column[15];
  int m = 1;
  for (; m + 7 <= n; m += 8) {
    Lanes p[kinds], q[kinds] = {};
    for (int t = 0; t < kinds; ++t) {
      p[t] = load_lanes(base[t] + m);
      store_lanes(base[t] + m, Lanes{});
    }
    for (int t = oo0; t <= ro; ++t) {
      q[t] = load_negative(base[t], m);
      store_lanes(base[t] - m - 7, Lanes{});
    }
    const Lanes mask = Reciprocated ? Lanes{} - load_lanes(c2 + m - 1) : Lanes{};
    const Columns<Lanes> out = combine<Lanes, Reciprocated>(p, q, mask);
    const int r = m - 1;
    if (c6) store_lanes(c6 + r, out.c6);
    if (c7) store_lanes(c7 + r, out.c7);
    if constexpr (Reciprocated) {
      if (c11) store_lanes(c11 + r, out.c11);
      if (c12) store_lanes(c12 + r, out.c12);
      if (c13) store_lanes(c13 + r, out.c13);
      if (c14) store_lanes(c14 + r, out.c14);
      if (c15) store_lanes(c15 + r, out.c15);
    }
  }
  for (; m <= n; ++m) {
    int p[kinds], q[kinds];
    for (int t = 0; t < kinds; ++t) {
      p[t] = base[t][m];
      base[t][m] = 0;
      q[t] = 0;
    }
    for (int t = oo0; t <= ro; ++t) {
      q[t] = base[t][-m];
      base[t][-m] = 0;
    }
    const int mask = Reciprocated ? -c2[m - 1] : 0;
    const Columns<int> out = combine<int, Reciprocated>(p, q, mask);
    const int r = m - 1;
    if (c6) c6[r] = static_cast<int16>(out.c6);
    if (c7) c7[r] = static_cast<int16>(out.c7);
    if constexpr (Reciprocated) {
      if (c11) c11[r] = static_cast<int16>(out.c11);
      if (c12) c12[r] = static_cast<int16>(out.c12);
      if (c13) c13[r] = static_cast<int16>(out.c13);
      if (c14) c14[r] = static_cast<int16>(out.c14);
      if (c15) c15[r] = static_cast<int16>(out.c15);
    }
  }
}

// The scans of types 6 and 7 (and with them 11 to 15), then the columns read off the counters.
void neighbour_scans(const Scan& s, int n, bool triads, bool in_in, bool out_only,
                     int16* const* column) {
  const int i = s.i;
  int own_length = 0;
  const int16* own = s.out_list(i, own_length);
  int in_length = 0;
  const int16* in = s.in_list(i, in_length);
  auto count = [](Kind kind) { return counters[kind] + max_nodes; };
  // Each list of a reciprocated neighbour once (see the kinds ro and ri).
  const bool once = triads && !out_only && lists_without_repeats(own, own_length, in, in_length);
  if (triads) {
    for (int p = 0; p < own_length; ++p) {
      const int e1 = own[p];
      const int k = node_of(e1);
      int length = 0;
      const int16* list = s.out_list(k, length);
      if (once && e1 < 0) {
        add_list(count(ro), list, length);
        list = s.in_list(k, length);
        add_list(count(ri), list, length);
        continue;
      }
      add_list(count(e1 < 0 ? oo1 : oo0), list, length);
      if (out_only) continue;
      // i->k is k's only in-link when in(k) <= 1: nothing to count.
      list = s.in_list(k, length);
      if (length <= 1) continue;
      add_list(count(s.mutual[k - 1] == 1 ? oi1 : oi0), list, length);
    }
    if (!out_only) {
      for (int p = 0; p < in_length; ++p) {
        const int k = in[p];
        if (once && s.mutual[k - 1] == 1) continue;  // scanned as ro
        int length = 0;
        const int16* list = s.out_list(k, length);
        // k->i is k's only out-link when out(k) <= 1: nothing to count.
        if (length <= 1) continue;
        add_list(count(s.mutual[k - 1] == 1 ? io1 : io0), list, length);
      }
    }
  }
  if (in_in) {
    for (int p = 0; p < in_length; ++p) {
      if (once && s.mutual[in[p] - 1] == 1) continue;  // scanned as ri
      int length = 0;
      const int16* list = s.in_list(in[p], length);
      add_list(count(ii), list, length);
    }
  }

  // Read the columns off the counters, eight rows at a time; row i stays 0.
  if (column[11] || column[12] || column[13] || column[14] || column[15]) {
    read_off<true>(n, s.c2, column);
  } else {
    read_off<false>(n, s.c2, column);
  }
  for (int t : {6, 7, 11, 12, 13, 14, 15}) {
    if (column[t] != nullptr) column[t][i - 1] = 0;
  }
}

// Row-by-row rules over rows 0..n-1: f(j, one) for j = 0, 8, 16, ... on eight rows at once as
// 16-bit lanes, then for the last rows one at a time as 16-bit integers. one(v) is the value v
// of the kind f works on; get and put read and write rows j.. of a row array in that kind.
template <class F>
inline void by_rows(int n, F f) {
  auto lanes = [](int v) { return Lanes{} + static_cast<std::int16_t>(v); };
  auto single = [](int v) { return static_cast<std::int16_t>(v); };
  int j = 0;
  for (; j + 8 <= n; j += 8) f(j, lanes);
  for (; j < n; ++j) f(j, single);
}

template <class One>
inline auto get(const int16* row, int j, One one) {
  using T = decltype(one(0));
  if constexpr (std::is_same_v<T, Lanes>) {
    return load_lanes(row + j);
  } else {
    return static_cast<std::int16_t>(row[j]);
  }
}

inline void put(int16* row, int j, Lanes v) {
  store_lanes(row + j, v);
}
inline void put(int16* row, int j, int v) {
  row[j] = static_cast<int16>(v);
}

inline Lanes where_nonzero(Lanes v) {
  return v != 0;  // -1 in the lanes where v is not 0
}
inline int where_nonzero(int v) {
  return v != 0 ? -1 : 0;
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

  // Types 3, 4, 5 and 8 to 10 row by row, eight rows at a time (16-bit lanes, the columns' own
  // arithmetic).
  if (on(3)) {
    int16* c3 = table.column(3);
    by_rows(n, [&](int j, auto one) { put(c3, j, one(out_i) - get(tie, j, one)); });
  }
  if (on(4)) {
    int16* c4 = table.column(4);
    by_rows(n, [&](int j, auto one) { put(c4, j, get(in_degree, j, one) - get(tie, j, one)); });
  }
  if (on(5)) {
    int16* c5 = table.column(5);
    by_rows(n, [&](int j, auto one) {
      const auto x2 = get(c2, j, one);
      put(c5, j, one(in_i) + get(out_degree, j, one) - x2 - x2);
    });
  }

  // Types 6 and 7: the neighbour scans, which also gather the switched-on types among 11 to 15.
  if (on(6) || on(7)) {
    int16* column[16] = {};
    if (on(6)) column[6] = table.column(6);
    if (on(7)) column[7] = table.column(7);
    if (on(6)) {
      for (int t = 11; t <= 15; ++t) {
        if (on(t)) column[t] = table.column(t);
      }
    }
    neighbour_scans(s, n, on(6), on(7), s.out_only, column);
  }

  // Where c2 is 0 the additions of types 8 to 10 are left out: "and" with the mask 0 - (c2 != 0).
  if (on(8)) {
    int16* c8 = table.column(8);
    by_rows(n, [&](int j, auto one) {
      const auto mask = where_nonzero(get(c2, j, one));
      const auto extra = one(out_i) - get(tie, j, one) + get(out_degree, j, one) - one(1);
      put(c8, j, one(mut_i) - get(mutual, j, one) + (extra & mask));
    });
  }
  if (on(9)) {
    int16* c9 = table.column(9);
    by_rows(n, [&](int j, auto one) {
      const auto mask = where_nonzero(get(c2, j, one));
      const auto extra = one(in_i) - get(tie, j, one) + get(in_degree, j, one) - one(1);
      put(c9, j, get(mutual_count, j, one) - get(mutual, j, one) + (extra & mask));
    });
  }
  if (on(10)) {
    int16* c10 = table.column(10);
    by_rows(n, [&](int j, auto one) {
      const auto mask = where_nonzero(get(c2, j, one));
      const auto m = get(mutual, j, one);
      put(c10, j, (one(mut_i) + get(mutual_count, j, one) - m - m) & mask);
    });
  }

  if (on(16)) comparative_step(rec, io, i);

  // Last: the block split may overwrite column 64, which served as mutual_row above.
  if (rec.blocks.block_attr != 0) block_split(rec, i);
}

}  // namespace tarn
