#include "kernel/sender_statistics.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <type_traits>

namespace tarn {
namespace {

// Everything the neighbour scans of one sender read. All row pointers address node 1 (entry
// m - 1 belongs to node m).
struct Scan {
  const LinkStore16* net = nullptr;
  const int16* mutual = nullptr;  // the sender's mutual row

  const int16* out_list(int a, int& length) const { return net->out_list(a, length); }
  const int16* in_list(int a, int& length) const { return net->in_list(a, length); }
};

template <class T>
std::vector<int16> narrowed(const std::vector<T>& wide) {
  return std::vector<int16>(wide.begin(), wide.end());
}

const Network& checked(const StatisticsSource& source) {
  if (source.network == nullptr || source.layout == nullptr) {
    throw std::invalid_argument("statistics need a network and a model");
  }
  if (source.network->node_count > max_nodes) {
    throw std::invalid_argument("the kernel's statistics are for at most 2000 nodes");
  }
  return *source.network;
}

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

constexpr std::size_t kind_stride = 2 * max_nodes + 8;

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

// Node numbers and degrees of at most max_nodes nodes fit 16 bits (the readers of the dialogue
// refuse a degree past 32767).
LinkStore16::LinkStore16(const Network& net)
    : out_degree(narrowed(net.out_degree)),
      in_degree(narrowed(net.in_degree)),
      mutual_count(narrowed(net.mutual_count)),
      out_target(narrowed(net.out_target)),
      in_source(narrowed(net.in_source)),
      network(&net) {}

SenderStatistics::SenderStatistics(const StatisticsSource& source)
    : source_(source), links_(checked(source)) {
  const KernelLayout& model = *source.layout;
  if (model.has_block_parameter() && source.blocks == nullptr) {
    throw std::invalid_argument("block parameters need the blocks of the nodes");
  }
  if (model.uses(ConfigurationType::covariate) && source.comparative == nullptr) {
    throw std::invalid_argument("the covariate needs a comparative network");
  }
  n_ = source.network->node_count;
  // The block split and the covariate column write one entry per node and block type: a source
  // built for another network or blocking would write past their columns.
  if (model.has_block_parameter() && (source.blocks->node_count != n_ ||
                                      source.blocks->block_type_count != model.block_type_count)) {
    throw std::invalid_argument("the blocks belong to another network or blocking");
  }
  if (model.uses(ConfigurationType::covariate) && source.comparative->node_count != n_) {
    throw std::invalid_argument("the comparative network belongs to another network");
  }
  stride_ = static_cast<std::size_t>(padded_rows(n_));
  tie_.assign(stride_, 0);
  mutual_.assign(stride_, 0);
  table_.assign(stride_ * max_params, 0);
  // Column 1, the edges, is the constant 1.
  std::fill_n(writable_column(1), n_, int16{1});
  counters_.assign(kind_stride * kinds, 0);
  out_mark_.assign(max_nodes + 1, 0);
  in_mark_.assign(max_nodes + 1, 0);
  block_kind_.assign(stride_, 0);
}

// True when no node appears twice in i's out-list or twice in its in-list.
bool SenderStatistics::lists_without_repeats(const int16* own, int own_length, const int16* in,
                                             int in_length) {
  if (++mark_serial_ == 0) {  // after 2^32 calls: start the marks afresh
    std::fill(out_mark_.begin(), out_mark_.end(), 0);
    std::fill(in_mark_.begin(), in_mark_.end(), 0);
    mark_serial_ = 1;
  }
  const std::uint32_t serial = mark_serial_;
  for (int p = 0; p < own_length; ++p) {
    const auto k = static_cast<std::size_t>(node_of(own[p]));
    if (out_mark_[k] == serial) return false;
    out_mark_[k] = serial;
  }
  for (int p = 0; p < in_length; ++p) {
    const auto k = static_cast<std::size_t>(in[p]);
    if (in_mark_[k] == serial) return false;
    in_mark_[k] = serial;
  }
  return true;
}

// Columns 6, 7 and 11 to 15 (those not null) of rows 1..n from the counters, which are cleared.
template <bool Reciprocated>
void SenderStatistics::read_off(const int16* c2, int16* const* columns) {
  const int n = n_;
  std::int16_t* base[kinds];
  for (int t = 0; t < kinds; ++t) base[t] = counters_.data() + t * kind_stride + max_nodes;
  int16* c6 = columns[6];
  int16* c7 = columns[7];
  int16* c11 = columns[11];
  int16* c12 = columns[12];
  int16* c13 = columns[13];
  int16* c14 = columns[14];
  int16* c15 = columns[15];
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

namespace {

// The counters of the neighbour scans: those of one kind, entry e (a signed node number) at
// max_nodes + e.
struct ScanCounters {
  std::int16_t* base = nullptr;
  std::int16_t* operator()(Kind kind) const {
    return base + static_cast<std::size_t>(kind) * kind_stride + max_nodes;
  }
};

// The lists of every out-neighbour k of the sender (types 6 and 11 to 15): k's out-list, and its
// in-list unless only two-paths out are wanted; each list of a reciprocated neighbour once where
// `once` (the kinds ro and ri).
void scan_out_neighbours(const Scan& s, const int16* own, int own_length, bool out_only, bool once,
                         ScanCounters count) {
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
}

// The out-lists of every in-neighbour k of the sender (types 6 and 11 to 15).
void scan_in_neighbours(const Scan& s, const int16* in, int in_length, bool once,
                        ScanCounters count) {
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

// The in-lists of every in-neighbour of the sender (type 7).
void scan_in_in(const Scan& s, const int16* in, int in_length, bool once, ScanCounters count) {
  for (int p = 0; p < in_length; ++p) {
    if (once && s.mutual[in[p] - 1] == 1) continue;  // scanned as ri
    int length = 0;
    const int16* list = s.in_list(in[p], length);
    add_list(count(ii), list, length);
  }
}

}  // namespace

// The scans of types 6 and 7 (and with them 11 to 15), then the columns read off the counters.
void SenderStatistics::neighbour_scans(int i, int16* const* columns) {
  const TypeSwitches& on = source_.layout->switches;
  const bool triads = on(6);
  const bool out_only = on.triad_out_only;
  Scan s;
  s.net = &links_;
  s.mutual = mutual_.data();
  int own_length = 0;
  const int16* own = s.out_list(i, own_length);
  int in_length = 0;
  const int16* in = s.in_list(i, in_length);
  const ScanCounters count{counters_.data()};
  // Each list of a reciprocated neighbour once (see the kinds ro and ri).
  const bool once = triads && !out_only &&
                    (!source_.network->has_repeated_links ||
                     lists_without_repeats(own, own_length, in, in_length));
  if (triads) {
    scan_out_neighbours(s, own, own_length, out_only, once, count);
    if (!out_only) scan_in_neighbours(s, in, in_length, once, count);
  }
  if (on(7)) scan_in_in(s, in, in_length, once, count);

  // Read the columns off the counters, eight rows at a time; row i stays 0.
  const int16* c2 = column(2);
  if (columns[11] || columns[12] || columns[13] || columns[14] || columns[15]) {
    read_off<true>(c2, columns);
  } else {
    read_off<false>(c2, columns);
  }
  for (int t : {6, 7, 11, 12, 13, 14, 15}) {
    if (columns[t] != nullptr) columns[t][i - 1] = 0;
  }
}

// Every group's columns: group e's column first_column + b receives the column of its type on
// the dyads of block type b, and 0 elsewhere.
void SenderStatistics::split_blocks(int i) {
  const KernelLayout& model = *source_.layout;
  const DyadBlocks& blocks = *source_.blocks;
  const int n = n_;
  const int type_count = model.block_type_count;
  int16* kind = block_kind_.data();
  for (int j = 1; j <= n; ++j) kind[j - 1] = static_cast<int16>(blocks.block_type(i, j));
  for (const ParameterGroup& group : model.groups) {
    const int c0 = group.first_column;
    for (int b = 1; b <= type_count; ++b) std::fill_n(writable_column(c0 + b), n, int16{0});
    const int16* source = writable_column(number(group.type));
    // Column c0 + b begins (b - 1) columns after column c0 + 1.
    int16* first = writable_column(c0 + 1);
    for (int j = 0; j < n; ++j) {
      const int b = kind[j];
      if (b != 0)
        first[static_cast<std::size_t>(b - 1) * stride_ + static_cast<std::size_t>(j)] = source[j];
    }
  }
}

void SenderStatistics::compute(int i) {
  const Network& net = *source_.network;
  const TypeSwitches& on = source_.layout->switches;
  const int n = n_;
  const int16* out_degree = links_.out_degree.data();
  const int16* in_degree = links_.in_degree.data();
  const int16* mutual_count = links_.mutual_count.data();
  const int out_i = net.out(i);
  const int in_i = net.in(i);
  const int mut_i = net.mutual(i);

  // Tie row and mutual row.
  int16* tie = tie_.data();
  int16* mutual = mutual_.data();
  clear(tie, n);
  clear(mutual, n);
  for (node_id e : net.out_list(i)) {
    tie[node_of(e) - 1] = 1;
    if (e < 0) mutual[node_of(e) - 1] = 1;
  }

  // Type 2: row j is x(j, i).
  int16* c2 = writable_column(2);
  if (on(2)) {
    clear(c2, n);
    for (node_id k : net.in_list(i)) c2[k - 1] = 1;
  }

  // Types 3, 4, 5 and 8 to 10 row by row, eight rows at a time (16-bit lanes, the columns' own
  // arithmetic).
  if (on(3)) {
    int16* c3 = writable_column(3);
    by_rows(n, [&](int j, auto one) { put(c3, j, one(out_i) - get(tie, j, one)); });
  }
  if (on(4)) {
    int16* c4 = writable_column(4);
    by_rows(n, [&](int j, auto one) { put(c4, j, get(in_degree, j, one) - get(tie, j, one)); });
  }
  if (on(5)) {
    int16* c5 = writable_column(5);
    by_rows(n, [&](int j, auto one) {
      const auto x2 = get(c2, j, one);
      put(c5, j, one(in_i) + get(out_degree, j, one) - x2 - x2);
    });
  }

  // Types 6 and 7: the neighbour scans, which also gather the switched-on types among 11 to 15.
  if (on(6) || on(7)) {
    int16* columns[16] = {};
    if (on(6)) columns[6] = writable_column(6);
    if (on(7)) columns[7] = writable_column(7);
    if (on(6)) {
      for (int t = 11; t <= 15; ++t) {
        if (on(t)) columns[t] = writable_column(t);
      }
    }
    neighbour_scans(i, columns);
  }

  // Where c2 is 0 the additions of types 8 to 10 are left out: "and" with the mask 0 - (c2 != 0).
  if (on(8)) {
    int16* c8 = writable_column(8);
    by_rows(n, [&](int j, auto one) {
      const auto mask = where_nonzero(get(c2, j, one));
      const auto extra = one(out_i) - get(tie, j, one) + get(out_degree, j, one) - one(1);
      put(c8, j, one(mut_i) - get(mutual, j, one) + (extra & mask));
    });
  }
  if (on(9)) {
    int16* c9 = writable_column(9);
    by_rows(n, [&](int j, auto one) {
      const auto mask = where_nonzero(get(c2, j, one));
      const auto extra = one(in_i) - get(tie, j, one) + get(in_degree, j, one) - one(1);
      put(c9, j, get(mutual_count, j, one) - get(mutual, j, one) + (extra & mask));
    });
  }
  if (on(10)) {
    int16* c10 = writable_column(10);
    by_rows(n, [&](int j, auto one) {
      const auto mask = where_nonzero(get(c2, j, one));
      const auto m = get(mutual, j, one);
      put(c10, j, (one(mut_i) + get(mutual_count, j, one) - m - m) & mask);
    });
  }

  if (on(16)) source_.comparative->fill_column(i, writable_column(16));
  if (source_.layout->has_block_parameter()) split_blocks(i);
}

}  // namespace tarn
