#pragma once
// The linear programs of the existence check (estimate_existence.h): the directions d that keep
// every signed statistic row on the separating side.

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

#include "mple/signed_rows.h"
#include "network/cancel_flag.h"

namespace tarn {

// The value of a signed row r under a direction d is v = (r . d) / max_k |r_k|, with d scaled so
// that max_k |d_k| <= 1: the row's constraint measured in units of its own largest statistic, so
// that rows of large and small statistics are judged alike. A row with v > tolerance lies
// strictly on the separating side; v < -tolerance breaks the separation.
//
// The direction comes from GLPK's exact (rational) simplex on the rows (16-bit integers, or
// doubles taken as the rationals they are), so the rows of the program hold exactly; rounding d to
// doubles and summing r . d in doubles then errs by at most about m (m + 1) 2^-53 < 5e-13 (m <= 64
// parameters). exact_tolerance lies far above that and far below the smallest non-zero value that a
// vertex of 16-bit statistic rows takes in any but contrived cases (for real statistics, such as
// the geometrically weighted ones, the rows hold the values the fit uses, and the same tolerance
// judges them). Should the exact simplex fail, the floating one's direction is judged with
// float_tolerance, ten times the feasibility tolerance of GLPK's simplex (1e-7).
inline constexpr double exact_tolerance = 1e-9;
inline constexpr double float_tolerance = 1e-6;

// Maximises objective . d over the directions d with -1 <= d_k <= 1 and s x . d >= 0 for every
// signed row. The program holds only the rows that some earlier solution broke (constraint
// generation): a solution that breaks none of the others is optimal for all of them, and at a
// vertex few rows are binding, so the program stays small however many distinct rows there are.
// A vertex other than 0 has some |d_k| = 1 (were no bound binding, the binding rows alone would
// give d = 0), so the values of the rows under it are on the scale of the tolerances.
template <class T>
class SeparationProgram {
 public:
  struct Solution {
    std::vector<double> direction;
    double tolerance = exact_tolerance;
  };

  // `cancel` is polled at every round of the constraint generation.
  explicit SeparationProgram(const SignedRows<T>& rows, CancelFlag cancel = nullptr)
      : rows_(rows), m_(rows.parameter_count()), in_program_(rows.size(), 0), cancel_(cancel) {
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
      stop_if_cancelled(cancel_);
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
      const T* r = rows_.stored(a);
      const double sign = rows_.sign(a);
      int length = 0;
      double largest = 0.0;
      for (int k = 0; k < m_; ++k) {
        if (r[k] == 0) continue;
        ++length;
        index[static_cast<std::size_t>(length)] = k + 1;
        // Exact: integers, or doubles, which the exact simplex takes as the rationals they are.
        coefficient[static_cast<std::size_t>(length)] = sign * static_cast<double>(r[k]);
        largest = std::max(largest, std::fabs(static_cast<double>(r[k])));
      }
      const int i = first + static_cast<int>(b);
      glp_set_mat_row(program_, i, length, index.data(), coefficient.data());
      glp_set_row_bnds(program_, i, GLP_LO, 0.0, 0.0);
      // The floating simplex works on the row scaled to largest entry 1; the exact one on the
      // values themselves.
      glp_set_rii(program_, i, 1.0 / largest);
    }
    method_ = GLP_DUALP;  // new rows leave the last basis optimal, no longer feasible
    return true;
  }

  const SignedRows<T>& rows_;
  int m_;
  std::vector<char> in_program_;
  CancelFlag cancel_;
  glp_prob* program_ = nullptr;
  glp_smcp parameters_{};
  int method_ = GLP_PRIMAL;
};

}  // namespace tarn
