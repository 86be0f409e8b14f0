#include "mple/estimate_existence.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "mple/case_control.h"
#include "mple/dyad_classes.h"
#include "mple/row_rank.h"
#include "mple/sender_sweep.h"
#include "mple/separation_program.h"
#include "mple/signed_rows.h"

namespace tarn {

namespace {

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

template <class T>
Separation most_separated(const SignedRows<T>& rows, CancelFlag cancel = nullptr) {
  const int m = rows.parameter_count();
  Separation result{std::vector<char>(rows.size(), 0),
                    std::vector<double>(static_cast<std::size_t>(m), 0.0)};
  bool any_nonzero = false;
  for (std::size_t a = 0; a < rows.size(); ++a) any_nonzero = any_nonzero || !rows.is_zero(a);
  if (!any_nonzero) return result;

  SeparationProgram<T> program(rows, cancel);
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
    const typename SeparationProgram<T>::Solution solution = program.maximise(objective);
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
template <class T>
bool unstrict_rows_span(const SignedRows<T>& rows, const Separation& separation) {
  typename RankOfRows<T>::type rank(rows.parameter_count());
  for (std::size_t a = 0; a < rows.size() && !rank.full(); ++a) {
    if (!separation.strict[a] && !rows.is_zero(a)) rank.add(rows.stored(a));
  }
  return rank.full();
}

// Reads the signed rows of the included dyads into `rows`, sender by sender, from where the
// last call stopped, until the rows number at least `enough` from at least `senders` senders, or
// every sender is read. The senders come spread over the network (1, 1 + s, 1 + 2s, ..., then
// 2, 2 + s, ...), so that a sample of them is no run of neighbours alike.
template <class Columns>
class RowReader {
 public:
  RowReader(const Study& study, CancelFlag cancel) : source_(study), cancel_(cancel) {
    const int n = source_.senders();
    const int stride = std::max(1, n / 64);
    for (int offset = 1; offset <= stride; ++offset) {
      for (int i = offset; i <= n; i += stride) order_.push_back(i);
    }
  }

  bool done() const { return next_ >= order_.size(); }

  void read(SignedRows<typename Columns::Value>& rows, std::size_t enough, std::size_t senders) {
    for (std::size_t read = 0; next_ < order_.size() && (rows.size() < enough || read < senders);
         ++next_, ++read) {
      stop_if_cancelled(cancel_);
      source_.compute(order_[next_]);
      const auto& columns = source_.columns();
      const int16* tie = source_.tie_row();
      for (int j = 0; j < columns.n; ++j) {
        if (j != columns.skip) rows.add(columns, j, tie[j] != 0);
      }
    }
    rows.finish();
  }

 private:
  Columns source_;
  CancelFlag cancel_;
  std::vector<int> order_;
  std::size_t next_ = 0;
};

template <class T>
EstimateExistence decided(const SignedRows<T>& rows, CancelFlag cancel = nullptr);

// A sample of the rows, those of some senders spread over the network, usually shows already that
// only d = 0 is allowed; its programs are small. Otherwise every row is read and the programs
// decide.
template <class Columns>
EstimateExistence check(const Study& study, ExistenceMethod method, CancelFlag cancel) {
  EstimateExistence result;
  const int m = study.model.parameter_count();
  SignedRows<typename Columns::Value> rows(m);
  RowReader<Columns> reader(study, cancel);
  if (method == ExistenceMethod::shortest) {
    const std::size_t sample_rows = 4096 + 256 * static_cast<std::size_t>(m);
    reader.read(rows, sample_rows, 32);
    if (!reader.done() && unstrict_rows_span(rows, most_separated(rows, cancel))) {
      result.proof = EstimateExistence::Proof::sample_of_rows;
      return result;
    }
  }
  reader.read(rows, std::numeric_limits<std::size_t>::max(), 0);
  return decided(rows, cancel);
}

// The answer of the programs over every distinct row.
template <class T>
EstimateExistence decided(const SignedRows<T>& rows, CancelFlag cancel) {
  EstimateExistence result;
  result.distinct_rows = static_cast<std::int64_t>(rows.size());
  const Separation separation = most_separated(rows, cancel);
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

}  // namespace

// The rows of the dyad classes are few: the programs over all of them.
EstimateExistence check_dyad_classes(const Study& study) {
  return check_estimate_existence_of_rows(dyad_class_rows(study));
}

EstimateExistence check_estimate_existence_of_rows(const DyadClassRows& classes) {
  SignedRows<double> rows(classes.m);
  for (std::size_t r = 0; r < classes.size(); ++r) {
    rows.add_row(classes.row(r), classes.y[r] != 0, classes.count[r]);
  }
  rows.finish();
  return decided(rows);
}

EstimateExistence check_estimate_existence(const Study& study, ExistenceMethod method,
                                           CancelFlag cancel) {
  if (fixes_dyads(study)) return check_estimate_existence_of_rows(free_dyad_rows(study).rows);
  if (fits_by_dyad_classes(study)) return check_dyad_classes(study);
  check_sweep_size(study);
  return study.uses_kernel() ? check<KernelColumns>(study, method, cancel)
                             : check<GeneralColumns>(study, method, cancel);
}

}  // namespace tarn
