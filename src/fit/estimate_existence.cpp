#include "fit/estimate_existence.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "stats/sender_statistics.h"

namespace tarn {

// The value of a signed row r under a direction d is v = (r . d) / max_k |r_k|, with d scaled so
// that max_k |d_k| <= 1: the row's constraint measured in units of its own largest statistic, so
// that rows of large and small statistics are judged alike. A row with v > tolerance lies
// strictly on the separating side; v < -tolerance breaks the separation.
//
// The direction comes from GLPK's exact (rational) simplex on the integer rows, so the rows of
// the program hold exactly; rounding d to doubles and summing r . d in doubles then errs by at
// most about m (m + 1) 2^-53 < 5e-13 (m <= 64 parameters). exact_tolerance lies far above that
// and far below the smallest non-zero value that a vertex of 16-bit statistic rows takes in any
// but contrived cases. Should the exact simplex fail, the floating one's direction is judged
// with float_tolerance, ten times the feasibility tolerance of GLPK's simplex (1e-7).
namespace {

constexpr double exact_tolerance = 1e-9;
constexpr double float_tolerance = 1e-6;

// The distinct signed rows s x of the included dyads and how many dyads share each. A row is kept
// as 16-bit values: s x itself, or, where -x does not fit 16 bits (an entry -32768 of a dyad
// without a link), x with a flag saying that the row is -x. Each stored row has a fixed stride of
// whole 64-bit words, the flag in entry m and zeros after it, so that rows hash and compare as
// words.
class SignedRows {
 public:
  explicit SignedRows(int parameter_count)
      : m_(parameter_count), stride_((parameter_count + 1 + 3) / 4 * 4), scratch_(stride_, 0) {
    slots_.assign(1024, 0);
  }

  int parameter_count() const { return m_; }
  std::size_t size() const { return dyads_.size(); }
  std::int64_t dyads(std::size_t row) const { return dyads_[row]; }
  bool is_zero(std::size_t row) const { return factor_[row] == 0.0; }
  // Statistic k of the row as stored; the signed row is sign(row) times these.
  const int16* stored(std::size_t row) const {
    return chunks_[row / rows_per_chunk].data() + row % rows_per_chunk * stride_;
  }
  double sign(std::size_t row) const { return stored(row)[m_] != 0 ? -1.0 : 1.0; }
  bool column_used(int k) const { return column_used_[static_cast<std::size_t>(k)]; }

  // The dyad whose statistics are columns.column[k][j], with or without a link.
  void add(const SenderColumns& columns, int j, bool tie) {
    int16* key = scratch_.data();
    bool negation_fits = true;
    for (int k = 0; k < m_; ++k) {
      const int16 x = columns.column[k][j];
      key[k] = x;
      negation_fits = negation_fits && x != std::numeric_limits<int16>::min();
    }
    const bool negate = !tie && negation_fits;
    if (negate) {
      for (int k = 0; k < m_; ++k) key[k] = static_cast<int16>(-key[k]);
    }
    key[m_] = !tie && !negate ? 1 : 0;
    insert(key);
  }

  // Row scales and used columns of the rows so far; again after more rows come in.
  void finish() {
    factor_.assign(size(), 0.0);
    column_used_.assign(static_cast<std::size_t>(m_), false);
    for (std::size_t a = 0; a < size(); ++a) {
      const int16* r = stored(a);
      int largest = 0;
      for (int k = 0; k < m_; ++k) {
        largest = std::max(largest, std::abs(static_cast<int>(r[k])));
        if (r[k] != 0) column_used_[static_cast<std::size_t>(k)] = true;
      }
      if (largest > 0) factor_[a] = sign(a) / largest;
    }
  }

  // (r . d) / max |r_k| for the signed row r.
  double value(std::size_t row, const double* d) const {
    const int16* r = stored(row);
    double sum = 0.0;
    for (int k = 0; k < m_; ++k) sum += r[k] * d[k];
    return sum * factor_[row];
  }
  // Adds the signed row, scaled to largest |entry| 1, to `sum`.
  void add_scaled(std::size_t row, std::vector<double>& sum) const {
    const int16* r = stored(row);
    for (int k = 0; k < m_; ++k) sum[static_cast<std::size_t>(k)] += r[k] * factor_[row];
  }

 private:
  std::uint64_t hash(const int16* key) const {
    std::uint64_t h = 0x9e3779b97f4a7c15u;
    for (std::size_t w = 0; w < stride_; w += 4) {
      std::uint64_t word = 0;
      std::memcpy(&word, key + w, sizeof word);
      h = (h ^ word) * 0xff51afd7ed558ccdu;
      h ^= h >> 29;
    }
    return h;
  }

  bool same(const int16* a, const int16* b) const {
    for (std::size_t w = 0; w < stride_; w += 4) {
      std::uint64_t word_a = 0, word_b = 0;
      std::memcpy(&word_a, a + w, sizeof word_a);
      std::memcpy(&word_b, b + w, sizeof word_b);
      if (word_a != word_b) return false;
    }
    return true;
  }

  void insert(const int16* key) {
    // Neighbouring dyads often share their row.
    if (last_ < size() && same(stored(last_), key)) {
      ++dyads_[last_];
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
        dyads_.push_back(1);
        slots_[s] = static_cast<std::uint32_t>(size());
        last_ = size() - 1;
        return;
      }
      if (same(stored(slot - 1), key)) {
        ++dyads_[slot - 1];
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
  std::vector<int16> scratch_;
  // Rows in chunks, so that growing never moves the rows already stored.
  static constexpr std::size_t rows_per_chunk = 1 << 14;
  std::vector<std::vector<int16>> chunks_;
  std::vector<std::uint32_t> dyads_;
  std::vector<std::uint32_t> slots_;  // row index + 1; 0 for an empty slot
  std::size_t last_ = std::numeric_limits<std::size_t>::max();
  std::vector<double> factor_;  // sign / largest |entry|; 0 for a row of zeros
  std::vector<bool> column_used_;
};

// The rank of integer rows counted modulo the prime 2^31 - 1. Rows of rank m modulo a prime have
// rank m over the rationals too: some m by m minor is non-zero modulo the prime, so non-zero.
class RankModuloPrime {
 public:
  explicit RankModuloPrime(int columns)
      : m_(columns),
        basis_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(columns)),
        pivot_row_(static_cast<std::size_t>(columns), -1),
        row_(static_cast<std::size_t>(columns)) {}

  bool full() const { return rank_ == m_; }

  // Adds the row to the span. The basis stays in echelon form, each row zero
  // before its pivot and 1 there, so one sweep over the columns in order reduces a row.
  void add(const int16* r) {
    for (int k = 0; k < m_; ++k) {
      const std::int64_t v = r[k];
      row_[static_cast<std::size_t>(k)] =
          v < 0 ? prime - static_cast<std::uint64_t>(-v) : static_cast<std::uint64_t>(v);
    }
    int pivot = -1;
    for (int c = 0; c < m_ && pivot < 0; ++c) {
      const std::uint64_t factor = row_[static_cast<std::size_t>(c)];
      if (factor == 0) continue;
      const int b = pivot_row_[static_cast<std::size_t>(c)];
      if (b < 0) {
        pivot = c;
        break;
      }
      const std::uint64_t* basis_row = &basis_[static_cast<std::size_t>(b * m_)];
      for (int k = c; k < m_; ++k) {
        const std::size_t u = static_cast<std::size_t>(k);
        row_[u] = subtract(row_[u], multiply(factor, basis_row[u]));
      }
    }
    if (pivot < 0) return;
    const std::uint64_t inverse = power(row_[static_cast<std::size_t>(pivot)], prime - 2);
    std::uint64_t* basis_row = &basis_[static_cast<std::size_t>(rank_ * m_)];
    for (int k = 0; k < m_; ++k) {
      const std::size_t u = static_cast<std::size_t>(k);
      basis_row[u] = multiply(row_[u], inverse);
    }
    pivot_row_[static_cast<std::size_t>(pivot)] = rank_++;
  }

 private:
  static constexpr std::uint64_t prime = (std::uint64_t{1} << 31) - 1;

  static std::uint64_t reduce(std::uint64_t v) { return v >= prime ? v - prime : v; }
  static std::uint64_t subtract(std::uint64_t a, std::uint64_t b) { return reduce(a + prime - b); }
  static std::uint64_t multiply(std::uint64_t a, std::uint64_t b) { return a * b % prime; }
  static std::uint64_t power(std::uint64_t base, std::uint64_t exponent) {
    std::uint64_t result = 1;
    for (; exponent > 0; exponent >>= 1) {
      if (exponent & 1) result = multiply(result, base);
      base = multiply(base, base);
    }
    return result;
  }

  int m_;
  int rank_ = 0;
  std::vector<std::uint64_t> basis_;
  std::vector<int> pivot_row_;
  std::vector<std::uint64_t> row_;
};

// Reads the signed rows of the included dyads into `rows`, sender by sender, from where the
// last call stopped, until the rows number at least `enough` or every sender is read.
class RowReader {
 public:
  explicit RowReader(const FitData& data) : data_(data), statistics_(data.source) {}

  bool done() const { return next_sender_ > statistics_.node_count(); }

  void read(SignedRows& rows, std::size_t enough) {
    SenderColumns columns = parameter_columns(statistics_, *data_.source.model);
    const int16* tie = statistics_.tie_row();
    for (; next_sender_ <= columns.n && rows.size() < enough; ++next_sender_) {
      const int i = next_sender_;
      statistics_.compute(i);
      columns.skip = receiver_left_out(data_, i);
      for (int j = 0; j < columns.n; ++j) {
        if (j != columns.skip) rows.add(columns, j, tie[j] != 0);
      }
    }
    rows.finish();
  }

 private:
  const FitData& data_;
  SenderStatistics statistics_;
  int next_sender_ = 1;
};

// Maximises objective . d over the directions d with -1 <= d_k <= 1 and s x . d >= 0 for every
// signed row. The program holds only the rows that some earlier solution broke (constraint
// generation): a solution that breaks none of the others is optimal for all of them, and at a
// vertex few rows are binding, so the program stays small however many distinct rows there are.
// A vertex other than 0 has some |d_k| = 1 (were no bound binding, the binding rows alone would
// give d = 0), so the values of the rows under it are on the scale of the tolerances.
class SeparationProgram {
 public:
  struct Solution {
    std::vector<double> direction;
    double tolerance = exact_tolerance;
  };

  explicit SeparationProgram(const SignedRows& rows)
      : rows_(rows), m_(rows.parameter_count()), in_program_(rows.size(), 0) {
    program_ = glp_create_prob();
    glp_set_obj_dir(program_, GLP_MAX);
    glp_add_cols(program_, m_);
    for (int k = 1; k <= m_; ++k) {
      // A parameter whose statistic is zero on every dyad takes no part in any separation.
      if (rows.column_used(k - 1)) {
        glp_set_col_bnds(program_, k, GLP_DB, -1.0, 1.0);
      } else {
        glp_set_col_bnds(program_, k, GLP_FX, 0.0, 0.0);
      }
    }
    glp_init_smcp(&parameters_);
    parameters_.msg_lev = GLP_MSG_OFF;
    parameters_.presolve = GLP_OFF;  // keeps the basis of the last solution for the next
  }
  ~SeparationProgram() { glp_delete_prob(program_); }
  SeparationProgram(const SeparationProgram&) = delete;
  SeparationProgram& operator=(const SeparationProgram&) = delete;

  Solution maximise(const std::vector<double>& objective) {
    for (int k = 1; k <= m_; ++k) {
      glp_set_obj_coef(program_, k, objective[static_cast<std::size_t>(k - 1)]);
    }
    method_ = GLP_PRIMAL;  // the last basis stays feasible, no longer optimal
    for (;;) {
      Solution solution;
      if (glp_get_num_rows(program_) == 0) {
        solution.direction = box_optimum(objective);
      } else {
        solve_floating();
        solution.direction = read_direction();
      }
      if (add_rows_broken_by(solution.direction, float_tolerance)) continue;
      if (glp_get_num_rows(program_) > 0) {
        if (solve_exact()) {
          solution.direction = read_direction();
        } else {
          solution.tolerance = float_tolerance;
        }
      }
      if (add_rows_broken_by(solution.direction, solution.tolerance)) continue;
      return solution;
    }
  }

 private:
  // Without rows every d_k goes to the bound its objective coefficient favours.
  std::vector<double> box_optimum(const std::vector<double>& objective) const {
    std::vector<double> d(static_cast<std::size_t>(m_), 0.0);
    for (std::size_t k = 0; k < d.size(); ++k) {
      if (objective[k] > 0.0) d[k] = 1.0;
      if (objective[k] < 0.0) d[k] = -1.0;
    }
    return d;
  }

  std::vector<double> read_direction() const {
    std::vector<double> d(static_cast<std::size_t>(m_));
    for (int k = 1; k <= m_; ++k)
      d[static_cast<std::size_t>(k - 1)] = glp_get_col_prim(program_, k);
    return d;
  }

  bool solved(int code) const { return code == 0 && glp_get_status(program_) == GLP_OPT; }

  // The program is always feasible (d = 0) and bounded (the box), so failure is numerical: it
  // is tried once more from a fresh basis.
  void solve_floating() {
    parameters_.meth = method_;
    if (solved(glp_simplex(program_, &parameters_))) return;
    glp_std_basis(program_);  // silent, unlike glp_adv_basis
    parameters_.meth = GLP_PRIMAL;
    if (solved(glp_simplex(program_, &parameters_))) return;
    throw std::runtime_error("GLPK could not solve the separation program");
  }

  bool solve_exact() { return solved(glp_exact(program_, &parameters_)); }

  // Adds to the program the rows outside it with value below -tolerance under d, the most
  // broken first, up to a batch; returns whether it added any.
  bool add_rows_broken_by(const std::vector<double>& d, double tolerance) {
    // Enough rows to pin a vertex in a few rounds, few enough to keep each solve short.
    const std::size_t batch = static_cast<std::size_t>(2 * m_ + 16);
    // The most broken rows so far, (value, row), the least broken of them in front.
    std::vector<std::pair<double, std::size_t>> broken;
    for (std::size_t a = 0; a < rows_.size(); ++a) {
      if (in_program_[a] || rows_.is_zero(a)) continue;
      const std::pair<double, std::size_t> row(rows_.value(a, d.data()), a);
      if (row.first >= -tolerance || (broken.size() == batch && row >= broken.front())) continue;
      if (broken.size() == batch) {
        std::pop_heap(broken.begin(), broken.end());
        broken.pop_back();
      }
      broken.push_back(row);
      std::push_heap(broken.begin(), broken.end());
    }
    if (broken.empty()) return false;
    std::sort_heap(broken.begin(), broken.end());
    const int first = glp_add_rows(program_, static_cast<int>(broken.size()));
    std::vector<int> index(static_cast<std::size_t>(m_) + 1);
    std::vector<double> coefficient(static_cast<std::size_t>(m_) + 1);
    for (std::size_t b = 0; b < broken.size(); ++b) {
      const std::size_t a = broken[b].second;
      in_program_[a] = 1;
      const int16* r = rows_.stored(a);
      const double sign = rows_.sign(a);
      int length = 0, largest = 0;
      for (int k = 0; k < m_; ++k) {
        if (r[k] == 0) continue;
        ++length;
        index[static_cast<std::size_t>(length)] = k + 1;
        coefficient[static_cast<std::size_t>(length)] = sign * r[k];  // exact integers
        largest = std::max(largest, std::abs(static_cast<int>(r[k])));
      }
      const int i = first + static_cast<int>(b);
      glp_set_mat_row(program_, i, length, index.data(), coefficient.data());
      glp_set_row_bnds(program_, i, GLP_LO, 0.0, 0.0);
      // The floating simplex works on the row scaled to largest entry 1; the exact one on the
      // integers themselves.
      glp_set_rii(program_, i, 1.0 / largest);
    }
    method_ = GLP_DUALP;  // new rows leave the last basis optimal, no longer feasible
    return true;
  }

  const SignedRows& rows_;
  int m_;
  std::vector<char> in_program_;
  glp_prob* program_ = nullptr;
  glp_smcp parameters_{};
  int method_ = GLP_PRIMAL;
};

void scale_to_largest_one(std::vector<double>& d) {
  double largest = 0.0;
  for (double v : d) largest = std::max(largest, std::fabs(v));
  if (largest > 0.0) {
    for (double& v : d) v /= largest;
  }
}

// The largest set of rows that some direction makes strict, and that direction (the sum of the
// programs' directions, not yet scaled).
//
// The first program maximises the sum of all scaled signed rows: its optimum is positive exactly
// when some row can lie strictly on the separating side, that is, when the estimate does not
// exist. A vertex need not make every such row strict at once, so each later program maximises
// the sum of the rows not yet strict, under the same constraints, and its direction is added to
// the total (all constraints hold for each, so they hold for the sum, and rows strict for one are
// strict for the sum). When no further row can be made strict, the total separates the largest
// set of dyads, and every row left has r . d = 0 for every direction that the rows allow.
struct Separation {
  std::vector<char> strict;
  std::vector<double> direction;
};

Separation most_separated(const SignedRows& rows) {
  const int m = rows.parameter_count();
  Separation result{std::vector<char>(rows.size(), 0),
                    std::vector<double>(static_cast<std::size_t>(m), 0.0)};
  bool any_nonzero = false;
  for (std::size_t a = 0; a < rows.size(); ++a) any_nonzero = any_nonzero || !rows.is_zero(a);
  if (!any_nonzero) return result;

  SeparationProgram program(rows);
  std::vector<char>& strict = result.strict;
  for (;;) {
    std::vector<double> objective(static_cast<std::size_t>(m), 0.0);
    bool rows_left = false;
    for (std::size_t a = 0; a < rows.size(); ++a) {
      if (strict[a] || rows.is_zero(a)) continue;
      rows.add_scaled(a, objective);
      rows_left = true;
    }
    if (!rows_left) break;
    const SeparationProgram::Solution solution = program.maximise(objective);
    bool progress = false;
    for (std::size_t a = 0; a < rows.size(); ++a) {
      if (strict[a] || rows.is_zero(a)) continue;
      if (rows.value(a, solution.direction.data()) > solution.tolerance) strict[a] = 1;
      progress = progress || strict[a];
    }
    if (!progress) break;
    for (std::size_t k = 0; k < result.direction.size(); ++k)
      result.direction[k] += solution.direction[k];
  }
  return result;
}

// Whether the rows that no allowed direction makes strict span the parameter space. Each such
// row has r . d = 0 for every allowed direction, so then only d = 0 is allowed. More rows only
// narrow the allowed directions, so what holds for some of the rows holds for all.
bool unstrict_rows_span(const SignedRows& rows, const Separation& separation) {
  RankModuloPrime rank(rows.parameter_count());
  for (std::size_t a = 0; a < rows.size() && !rank.full(); ++a) {
    if (!separation.strict[a] && !rows.is_zero(a)) rank.add(rows.stored(a));
  }
  return rank.full();
}

}  // namespace

// A sample of the rows, those of the first senders, usually shows already that only d = 0 is
// allowed; its programs are small. Otherwise every row is read and the programs decide.
EstimateExistence check_estimate_existence(const FitData& data, ExistenceMethod method) {
  EstimateExistence result;
  const int m = data.source.model->parameter_count();
  SignedRows rows(m);
  RowReader reader(data);
  if (method == ExistenceMethod::shortest) {
    const std::size_t sample_rows = 4096 + 256 * static_cast<std::size_t>(m);
    reader.read(rows, sample_rows);
    if (!reader.done() && unstrict_rows_span(rows, most_separated(rows))) {
      result.proof = EstimateExistence::Proof::sample_of_rows;
      return result;
    }
  }
  reader.read(rows, std::numeric_limits<std::size_t>::max());
  result.distinct_rows = static_cast<std::int64_t>(rows.size());
  const Separation separation = most_separated(rows);
  for (std::size_t a = 0; a < rows.size(); ++a) {
    if (separation.strict[a]) result.separated_dyads += rows.dyads(a);
  }
  if (result.separated_dyads > 0) {
    result.exists = false;
    result.direction = separation.direction;
    scale_to_largest_one(result.direction);
  }
  return result;
}

}  // namespace tarn
