#include "mple/dyad_sums.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "mple/statistic_values.h"

namespace tarn {

namespace {

using v8s = std::int16_t __attribute__((vector_size(16)));

// Stand in for the statistic of the missing partner of an unpaired common parameter, for n
// receivers. The kernel's columns have at most max_nodes rows; the term table's as many as the
// network has nodes.
constexpr std::array<int16, max_nodes + 8> zero_int16_column{};
constexpr std::array<double, max_nodes + 8> zero_double_column{};
inline const int16* zero_column(const int16*, int, std::vector<double>&) {
  return zero_int16_column.data();
}
// Past max_nodes receivers, `wider` (the sums' own column of zeros, grown to n + 8 entries).
inline const double* zero_column(const double*, int n, std::vector<double>& wider) {
  if (n <= max_nodes) return zero_double_column.data();
  if (wider.size() < static_cast<std::size_t>(n) + 8)
    wider.assign(static_cast<std::size_t>(n) + 8, 0.0);
  return wider.data();
}

inline v2d broadcast(double x) {
  return v2d{x, x};
}

// Receivers j in 0..n-1, other than skip, whose statistic is not 0.
int count_nonzero(const int16* column, int n, int skip) {
  int j = 0;
  v8s lanes = {};  // each lane counts down by one per non-zero statistic: at most 250 per lane
  for (; j + 8 <= n; j += 8) {
    v8s x;
    std::memcpy(&x, column + j, sizeof x);
    lanes += (x != 0);
  }
  int count = 0;
  for (int k = 0; k < 8; ++k) count -= lanes[k];
  for (; j < n; ++j) count += column[j] != 0 ? 1 : 0;
  if (skip >= 0 && column[skip] != 0) --count;
  return count;
}

int count_nonzero(const double* column, int n, int skip) {
  int count = 0;
  for (int j = 0; j < n; ++j) count += column[j] != 0.0 ? 1 : 0;
  if (skip >= 0 && column[skip] != 0.0) --count;
  return count;
}

// A tile of the sums: the sums of the common rows rows[0..2 KP) (taken two at a time) in the
// columns at offsets cols[0..L), held in registers while the chunk's dyads are added one after
// another. scaled holds each dyad's pairs, factor its broadcast factors. Written out by hand so
// that the sums stay in registers.
template <int KP, int L>
inline void tile(double* acc, const int* rows, const int* cols, const v2d* scaled,
                 int scaled_stride, const v2d* factor, int factor_stride, int count) {
  static_assert(KP == 1 || KP == 2);
  static_assert(L >= 1 && L <= 4);
  auto load = [acc, rows, cols](int p, int b) {
    return v2d{acc[cols[b] + rows[2 * p]], acc[cols[b] + rows[2 * p + 1]]};
  };
  auto store = [acc, rows, cols](int p, int b, v2d a) {
    acc[cols[b] + rows[2 * p]] = a[0];
    acc[cols[b] + rows[2 * p + 1]] = a[1];
  };
  v2d a00 = load(0, 0), a01 = {}, a02 = {}, a03 = {};
  v2d a10 = {}, a11 = {}, a12 = {}, a13 = {};
  if constexpr (L > 1) a01 = load(0, 1);
  if constexpr (L > 2) a02 = load(0, 2);
  if constexpr (L > 3) a03 = load(0, 3);
  if constexpr (KP > 1) {
    a10 = load(1, 0);
    if constexpr (L > 1) a11 = load(1, 1);
    if constexpr (L > 2) a12 = load(1, 2);
    if constexpr (L > 3) a13 = load(1, 3);
  }
  for (int c = 0; c < count; ++c) {
    const v2d* u = scaled + c * scaled_stride;
    const v2d* x = factor + c * factor_stride;
    const v2d u0 = u[0];
    const v2d x0 = x[0];
    a00 = a00 + u0 * x0;
    if constexpr (KP > 1) {
      const v2d u1 = u[1];
      a10 = a10 + u1 * x0;
      if constexpr (L > 1) {
        const v2d x1 = x[1];
        a01 = a01 + u0 * x1;
        a11 = a11 + u1 * x1;
      }
      if constexpr (L > 2) {
        const v2d x2 = x[2];
        a02 = a02 + u0 * x2;
        a12 = a12 + u1 * x2;
      }
      if constexpr (L > 3) {
        const v2d x3 = x[3];
        a03 = a03 + u0 * x3;
        a13 = a13 + u1 * x3;
      }
    } else {
      if constexpr (L > 1) a01 = a01 + u0 * x[1];
      if constexpr (L > 2) a02 = a02 + u0 * x[2];
      if constexpr (L > 3) a03 = a03 + u0 * x[3];
    }
  }
  store(0, 0, a00);
  if constexpr (L > 1) store(0, 1, a01);
  if constexpr (L > 2) store(0, 2, a02);
  if constexpr (L > 3) store(0, 3, a03);
  if constexpr (KP > 1) {
    store(1, 0, a10);
    if constexpr (L > 1) store(1, 1, a11);
    if constexpr (L > 2) store(1, 2, a12);
    if constexpr (L > 3) store(1, 3, a13);
  }
}

template <int KP>
inline void tile_row(double* acc, const int* rows, const int* cols, int ncols, const v2d* scaled,
                     int scaled_stride, const v2d* factor, int factor_stride, int count) {
  int b = 0;
  for (; b + 4 <= ncols; b += 4) {
    tile<KP, 4>(acc, rows, cols + b, scaled, scaled_stride, factor + b, factor_stride, count);
  }
  switch (ncols - b) {
    case 3:
      tile<KP, 3>(acc, rows, cols + b, scaled, scaled_stride, factor + b, factor_stride, count);
      break;
    case 2:
      tile<KP, 2>(acc, rows, cols + b, scaled, scaled_stride, factor + b, factor_stride, count);
      break;
    case 1:
      tile<KP, 1>(acc, rows, cols + b, scaled, scaled_stride, factor + b, factor_stride, count);
      break;
    default:
      break;
  }
}

}  // namespace

template <class T>
void DyadSumsOf<T>::start(int m, bool with_matrix, bool with_vector) {
  m_ = m;
  with_matrix_ = with_matrix;
  with_vector_ = with_vector;
  if (tiled()) {
    std::fill(std::begin(acc_), std::end(acc_), 0.0);
  } else {
    wide_.assign(static_cast<std::size_t>(m + 1) * static_cast<std::size_t>(m), 0.0);
  }
  const auto scratch = static_cast<std::size_t>(std::max(m, 1));
  dyad_index_.assign(scratch, 0);
  dyad_x_.assign(scratch, 0.0);
  dyad_scaled_.assign(scratch, 0.0);
}

template <class T>
void DyadSumsOf<T>::plan_sender(const SenderColumnsOf<T>& columns, Plan& plan) const {
  const int included = columns.n - (columns.skip >= 0 ? 1 : 0);
  plan.common_count = 0;
  plan.rare_count = 0;
  int nonzero[tiled_parameters];
  int by_count[tiled_parameters];
  int active = 0;
  for (int k = 0; k < m_; ++k) {
    nonzero[k] = count_nonzero(columns.column[k], columns.n, columns.skip);
    if (nonzero[k] > 0) by_count[active++] = k;
  }
  // The most frequently non-zero parameters are common while they are frequent enough: a common
  // parameter adds about C two-sum operations (C the number of common parameters) at every dyad
  // in the tiles; a rare one costs about C + 10 operations, measured some 1.5 times as dear, at
  // each dyad where it is non-zero. So a parameter non-zero for a share d of the dyads is common
  // while d >= C / (1.5 (C + 10)).
  std::stable_sort(by_count, by_count + active,
                   [&nonzero](int a, int b) { return nonzero[a] > nonzero[b]; });
  bool is_common[tiled_parameters] = {};
  int common_count = 0;
  for (int r = 0; r < active; ++r) {
    const int k = by_count[r];
    if (1.5 * (common_count + 10) * nonzero[k] < static_cast<double>(common_count) * included)
      break;
    is_common[k] = true;
    ++common_count;
  }
  for (int k = 0; k < m_; ++k) {
    if (nonzero[k] == 0) continue;
    if (is_common[k]) {
      plan.common[plan.common_count++] = k;
    } else {
      plan.rare[plan.rare_count++] = k;
    }
  }
  const int common = plan.common_count;
  plan.pairs = (common + 1) / 2;
  for (int k = 0; k < common; ++k) plan.rows[k] = plan.common[k];
  if (common % 2 == 1) plan.rows[common] = scratch_row;
  plan.ncols = 0;
  if (with_matrix_) {
    for (int b = 0; b < common; ++b) plan.cols[plan.ncols++] = plan.common[b] * ld;
  }
  plan.vector_factor = -1;
  if (with_vector_) {
    plan.vector_factor = plan.ncols;
    plan.cols[plan.ncols++] = m_ * ld;
  }
}

template <class T>
void DyadSumsOf<T>::add_sender(const SenderColumnsOf<T>& columns, const double* weight,
                               const double* extra, const unsigned char* vector_ones) {
  const int n = columns.n;
  if (n <= 0 || m_ == 0) return;
  if (!tiled() || (vector_ones != nullptr && with_vector_)) {
    // Too many parameters for the tiles, or dyads whose vector terms have their own weight: the
    // sender is taken dyad by dyad.
    add_dyads(columns, weight, extra, vector_ones);
    return;
  }
  Plan plan;
  plan_sender(columns, plan);
  if (plan.common_count == 0 && plan.rare_count == 0) return;
  // The sums of the rare rows in the tile columns, and of the common pairs in the rare columns,
  // gathered into contiguous rows while this sender is added.
  const int rare = plan.rare_count;
  const int rstride = plan.ncols + (plan.ncols & 1);
  const int cstride = plan.pairs;
  for (int a = 0; a < rare; ++a) {
    for (int b = 0; b < plan.ncols; ++b)
      rare_rows_[a * rstride + b] = acc_[plan.cols[b] + plan.rare[a]];
    if (!with_matrix_) continue;
    const double* column = acc_ + plan.rare[a] * ld;
    for (int q = 0; q < plan.pairs; ++q) {
      rare_cols_[a * cstride + q] = v2d{column[plan.rows[2 * q]], column[plan.rows[2 * q + 1]]};
    }
  }
  for (int first = 0; first < n; first += max_chunk) {
    add_chunk(columns, plan, first, std::min(max_chunk, n - first), weight, extra);
  }
  for (int a = 0; a < rare; ++a) {
    for (int b = 0; b < plan.ncols; ++b)
      acc_[plan.cols[b] + plan.rare[a]] = rare_rows_[a * rstride + b];
    if (!with_matrix_) continue;
    double* column = acc_ + plan.rare[a] * ld;
    for (int q = 0; q < plan.pairs; ++q) {
      column[plan.rows[2 * q]] = rare_cols_[a * cstride + q][0];
      column[plan.rows[2 * q + 1]] = rare_cols_[a * cstride + q][1];
    }
  }
}

template <class T>
void DyadSumsOf<T>::add_chunk(const SenderColumnsOf<T>& columns, const Plan& plan, int first,
                              int count, const double* weight, const double* extra) {
  const int common = plan.common_count;
  const int pairs = plan.pairs;
  const int* rows = plan.rows;
  const int ncols = plan.ncols;
  // The receivers first .. first + count - 1; the left-out one, if it is among them, is given
  // weight 0 and extra factor 0 in the buffers, so that its terms are +-0.0 and change nothing.
  const int skipped =
      columns.skip >= first && columns.skip < first + count ? columns.skip - first : -1;
  // Conversions run four receivers at a time, past the chunk's end but within the table.
  const int count4 = (count + 3) & ~3;

  const int sstride = pairs;
  const int fstride = ncols;
  const int pstride = ncols + (ncols & 1);
  const double* w = weight + first;
  for (int q = 0; q < pairs; ++q) {
    const T* c0 = columns.column[rows[2 * q]] + first;
    const T* c1 = (2 * q + 1 < common ? columns.column[rows[2 * q + 1]]
                                      : zero_column(c0, columns.n, zeros_)) +
                  first;
    for (int c = 0; c < count4; c += 4) {
      v2d a_lo, a_hi, b_lo, b_hi;
      statistics_as_doubles(c0 + c, a_lo, a_hi);
      statistics_as_doubles(c1 + c, b_lo, b_hi);
      v2d* u = scaled_ + c * sstride + q;
      u[0] = broadcast(w[c]) * v2d{a_lo[0], b_lo[0]};
      u[sstride] = broadcast(w[c + 1]) * v2d{a_lo[1], b_lo[1]};
      u[2 * sstride] = broadcast(w[c + 2]) * v2d{a_hi[0], b_hi[0]};
      u[3 * sstride] = broadcast(w[c + 3]) * v2d{a_hi[1], b_hi[1]};
    }
    if (skipped >= 0) scaled_[skipped * sstride + q] = v2d{0.0, 0.0};
  }
  const int rare = plan.rare_count;
  if (with_matrix_) {
    for (int b = 0; b < common; ++b) {
      const T* col = columns.column[plan.common[b]] + first;
      for (int c = 0; c < count4; c += 4) {
        v2d lo, hi;
        statistics_as_doubles(col + c, lo, hi);
        v2d* f = factor_ + c * fstride + b;
        f[0] = broadcast(lo[0]);
        f[fstride] = broadcast(lo[1]);
        f[2 * fstride] = broadcast(hi[0]);
        f[3 * fstride] = broadcast(hi[1]);
        if (rare > 0) {
          double* x = plain_ + c * pstride + b;
          x[0] = lo[0];
          x[pstride] = lo[1];
          x[2 * pstride] = hi[0];
          x[3 * pstride] = hi[1];
        }
      }
    }
  }
  if (with_vector_) {
    const double* e = extra + first;
    const int v = plan.vector_factor;
    for (int c = 0; c < count; ++c) factor_[c * fstride + v] = broadcast(e[c]);
    if (rare > 0) {
      for (int c = 0; c < count; ++c) plain_[c * pstride + v] = e[c];
    }
    if (skipped >= 0) factor_[skipped * fstride + v] = v2d{0.0, 0.0};
  }
  if (rare > 0 && (ncols & 1)) {
    for (int c = 0; c < count; ++c) plain_[c * pstride + ncols] = 0.0;
  }

  // The sums among the common parameters (and their vector sums), in tiles.
  if (ncols > 0) {
    int q = 0;
    for (; q + 2 <= pairs; q += 2) {
      tile_row<2>(acc_, rows + 2 * q, plan.cols, ncols, scaled_ + q, sstride, factor_, fstride,
                  count);
    }
    if (q < pairs) {
      tile_row<1>(acc_, rows + 2 * q, plan.cols, ncols, scaled_ + q, sstride, factor_, fstride,
                  count);
    }
  }

  // Every sum with a rare parameter, dyad by dyad where that parameter is non-zero: first the
  // rare parameters of each dyad, as bits.
  if (rare == 0) return;
  std::uint64_t rare_bits[max_chunk] = {};
  for (int a = 0; a < rare; ++a) {
    std::uint64_t dyads = nonzero_bits(columns.column[plan.rare[a]] + first, count);
    const std::uint64_t bit = std::uint64_t{1} << a;
    while (dyads != 0) {
      rare_bits[__builtin_ctzll(dyads)] |= bit;
      dyads &= dyads - 1;
    }
  }
  if (skipped >= 0) rare_bits[skipped] = 0;
  const int rstride = pstride;
  const int cstride = pairs;
  int slot[tiled_parameters];
  int index[tiled_parameters];
  double x[tiled_parameters];
  double u[tiled_parameters];
  for (int c = 0; c < count; ++c) {
    std::uint64_t bits = rare_bits[c];
    if (bits == 0) continue;
    const int j = first + c;
    int nz = 0;
    while (bits != 0) {
      const int a = __builtin_ctzll(bits);
      bits &= bits - 1;
      const int k = plan.rare[a];
      slot[nz] = a;
      index[nz] = k;
      x[nz] = static_cast<double>(columns.column[k][j]);
      ++nz;
    }
    const double wj = weight[j];
    for (int a = 0; a < nz; ++a) u[a] = wj * x[a];
    const v2d* scaled = scaled_ + c * sstride;
    const v2d* plain = reinterpret_cast<const v2d*>(plain_ + c * pstride);
    // Rows of the rare parameters in the tile columns (the common parameters and the vector).
    for (int a = 0; a < nz; ++a) {
      v2d* sums = reinterpret_cast<v2d*>(rare_rows_ + slot[a] * rstride);
      const v2d ua = broadcast(u[a]);
      for (int b = 0; b < pstride / 2; ++b) sums[b] = sums[b] + ua * plain[b];
    }
    if (with_matrix_) {
      // Columns of the rare parameters: every common pair, and the rare rows that are non-zero.
      for (int b = 0; b < nz; ++b) {
        v2d* sums = rare_cols_ + slot[b] * cstride;
        const double t = x[b];
        const v2d tt = broadcast(t);
        for (int q = 0; q < pairs; ++q) sums[q] = sums[q] + scaled[q] * tt;
        double* column = acc_ + index[b] * ld;
        for (int a = 0; a < nz; ++a) {
          double& s = column[index[a]];
          s = s + u[a] * t;
        }
      }
    }
  }
}

template <class T>
void DyadSumsOf<T>::add_dyads(const SenderColumnsOf<T>& columns, const double* weight,
                              const double* extra, const unsigned char* vector_ones) {
  const int m = m_;
  const int ldm = stride();
  double* acc = sums();
  int* index = dyad_index_.data();
  double* x = dyad_x_.data();
  double* scaled = dyad_scaled_.data();
  double* vector_column = acc + m * ldm;
  for (int j = 0; j < columns.n; ++j) {
    if (j == columns.skip) continue;
    int nz = 0;
    for (int k = 0; k < m; ++k) {
      const T value = columns.column[k][j];
      index[nz] = k;
      x[nz] = static_cast<double>(value);
      nz += value != 0 ? 1 : 0;
    }
    const double w = weight[j];
    for (int a = 0; a < nz; ++a) scaled[a] = w * x[a];
    if (with_matrix_) {
      for (int b = 0; b < nz; ++b) {
        const double t = x[b];
        double* column = acc + index[b] * ldm;
        for (int a = 0; a < nz; ++a) {
          double& sum = column[index[a]];
          sum = sum + scaled[a] * t;
        }
      }
    }
    if (with_vector_) {
      const double e = extra[j];
      const bool ones = vector_ones != nullptr && vector_ones[j] != 0;
      for (int a = 0; a < nz; ++a) {
        double& sum = vector_column[index[a]];
        sum = sum + (ones ? x[a] : scaled[a]) * e;
      }
    }
  }
}

template class DyadSumsOf<int16>;
template class DyadSumsOf<double>;

}  // namespace tarn
