#pragma once
// The distinct signed statistic rows of a fit's dyads, the constraints of the existence check
// (estimate_existence.h).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "mple/dyad_sums.h"

namespace tarn {

// The distinct signed rows s x of the included dyads and how many dyads share each. A row is kept
// in the statistics' own type T: s x itself, or, where -x does not fit (an entry -32768 of a
// 16-bit statistic of a dyad without a link), x with a flag saying that the row is -x. Each stored
// row has a fixed stride of whole 64-bit words, the flag in entry m and zeros after it, so that
// rows hash and compare as words (a double zero is kept as +0.0).
template <class T>
class SignedRows {
 public:
  static constexpr std::size_t per_word = 8 / sizeof(T);

  explicit SignedRows(int parameter_count)
      : m_(parameter_count),
        stride_((static_cast<std::size_t>(parameter_count) + 1 + per_word - 1) / per_word *
                per_word),
        scratch_(stride_, T{}) {
    slots_.assign(1024, 0);
  }

  int parameter_count() const { return m_; }
  std::size_t size() const { return dyads_.size(); }
  std::int64_t dyads(std::size_t row) const { return dyads_[row]; }
  bool is_zero(std::size_t row) const { return factor_[row] == 0.0; }
  // Statistic k of the row as stored; the signed row is sign(row) times these.
  const T* stored(std::size_t row) const {
    return chunks_[row / rows_per_chunk].data() + row % rows_per_chunk * stride_;
  }
  double sign(std::size_t row) const { return stored(row)[m_] != 0 ? -1.0 : 1.0; }
  bool column_used(int k) const { return column_used_[static_cast<std::size_t>(k)]; }

  // The dyad whose statistics are columns.column[k][j], with or without a link.
  void add(const SenderColumnsOf<T>& columns, int j, bool tie) {
    T* key = scratch_.data();
    bool negation_fits = true;
    for (int k = 0; k < m_; ++k) {
      const T x = columns.column[k][j];
      key[k] = positive_zero(x);
      negation_fits = negation_fits && fits_negated(x);
    }
    const bool negate = !tie && negation_fits;
    if (negate) {
      for (int k = 0; k < m_; ++k) key[k] = negated(key[k]);
    }
    key[m_] = !tie && !negate ? T{1} : T{0};
    insert(key);
  }

  // A row of `count` dyads, with or without a link, given by its statistics x[0..m).
  void add_row(const T* x, bool tie, std::int64_t count) {
    T* key = scratch_.data();
    bool negation_fits = true;
    for (int k = 0; k < m_; ++k) {
      key[k] = positive_zero(x[k]);
      negation_fits = negation_fits && fits_negated(x[k]);
    }
    const bool negate = !tie && negation_fits;
    if (negate) {
      for (int k = 0; k < m_; ++k) key[k] = negated(key[k]);
    }
    key[m_] = !tie && !negate ? T{1} : T{0};
    insert(key, count);
  }

  // Row scales and used columns of the rows so far; again after more rows come in.
  void finish() {
    factor_.assign(size(), 0.0);
    column_used_.assign(static_cast<std::size_t>(m_), false);
    for (std::size_t a = 0; a < size(); ++a) {
      const T* r = stored(a);
      double largest = 0.0;
      for (int k = 0; k < m_; ++k) {
        largest = std::max(largest, std::fabs(static_cast<double>(r[k])));
        if (r[k] != 0) column_used_[static_cast<std::size_t>(k)] = true;
      }
      if (largest > 0.0) factor_[a] = sign(a) / largest;
    }
  }

  // (r . d) / max |r_k| for the signed row r.
  double value(std::size_t row, const double* d) const {
    const T* r = stored(row);
    double sum = 0.0;
    for (int k = 0; k < m_; ++k) sum += r[k] * d[k];
    return sum * factor_[row];
  }
  // Adds the signed row, scaled to largest |entry| 1, to `sum`.
  void add_scaled(std::size_t row, std::vector<double>& sum) const {
    const T* r = stored(row);
    for (int k = 0; k < m_; ++k) sum[static_cast<std::size_t>(k)] += r[k] * factor_[row];
  }

 private:
  static T positive_zero(T x) { return x == T{0} ? T{0} : x; }
  static bool fits_negated(int16 x) { return x != std::numeric_limits<int16>::min(); }
  static bool fits_negated(double) { return true; }
  static int16 negated(int16 x) { return static_cast<int16>(-x); }
  static double negated(double x) { return 0.0 - x; }

  std::uint64_t hash(const T* key) const {
    std::uint64_t h = 0x9e3779b97f4a7c15u;
    for (std::size_t w = 0; w < stride_; w += per_word) {
      std::uint64_t word = 0;
      std::memcpy(&word, key + w, sizeof word);
      h = (h ^ word) * 0xff51afd7ed558ccdu;
      h ^= h >> 29;
    }
    return h;
  }

  bool same(const T* a, const T* b) const {
    for (std::size_t w = 0; w < stride_; w += per_word) {
      std::uint64_t word_a = 0, word_b = 0;
      std::memcpy(&word_a, a + w, sizeof word_a);
      std::memcpy(&word_b, b + w, sizeof word_b);
      if (word_a != word_b) return false;
    }
    return true;
  }

  void insert(const T* key, std::int64_t count = 1) {
    // Neighbouring dyads often share their row.
    if (last_ < size() && same(stored(last_), key)) {
      dyads_[last_] += count;
      return;
    }
    if (2 * (size() + 1) > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash(key) & mask;; s = (s + 1) & mask) {
      const std::uint32_t slot = slots_[s];
      if (slot == 0) {
        if (size() % rows_per_chunk == 0) {
          chunks_.emplace_back();
          chunks_.back().reserve(rows_per_chunk * stride_);
        }
        chunks_.back().insert(chunks_.back().end(), key, key + stride_);
        dyads_.push_back(count);
        slots_[s] = static_cast<std::uint32_t>(size());
        last_ = size() - 1;
        return;
      }
      if (same(stored(slot - 1), key)) {
        dyads_[slot - 1] += count;
        last_ = slot - 1;
        return;
      }
    }
  }

  void grow() {
    slots_.assign(slots_.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t a = 0; a < size(); ++a) {
      std::size_t s = hash(stored(a)) & mask;
      while (slots_[s] != 0) s = (s + 1) & mask;
      slots_[s] = static_cast<std::uint32_t>(a + 1);
    }
  }

  int m_;
  std::size_t stride_;
  std::vector<T> scratch_;
  // Rows in chunks, so that growing never moves the rows already stored.
  static constexpr std::size_t rows_per_chunk = 1 << 14;
  std::vector<std::vector<T>> chunks_;
  std::vector<std::int64_t> dyads_;
  std::vector<std::uint32_t> slots_;  // row index + 1; 0 for an empty slot
  std::size_t last_ = std::numeric_limits<std::size_t>::max();
  std::vector<double> factor_;  // sign / largest |entry|; 0 for a row of zeros
  std::vector<bool> column_used_;
};

}  // namespace tarn
