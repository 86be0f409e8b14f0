#include "mple/dyad_classes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

#include "mple/fit_passes.h"
#include "mple/pair_layout.h"
#include "network/usage_error.h"
#include "numeric/param_algebra.h"

namespace tarn {

namespace {

// The rows as they are gathered: keyed by their bytes (response, then statistics).
class RowTable {
 public:
  explicit RowTable(int m) : m_(m), key_(sizeof(double) * static_cast<std::size_t>(m) + 1, '\0') {}

  void add(const double* x, bool y, std::int64_t count) {
    if (count == 0) return;
    key_[0] = y ? '\1' : '\0';
    for (int k = 0; k < m_; ++k) {
      const double v = x[k] == 0.0 ? 0.0 : x[k];  // one zero
      std::memcpy(key_.data() + 1 + sizeof(double) * static_cast<std::size_t>(k), &v, sizeof v);
    }
    counts_[key_] += count;
  }

  DyadClassRows rows() const {
    std::vector<std::pair<std::vector<double>, std::pair<char, std::int64_t>>> all;
    for (const auto& [key, count] : counts_) {
      std::vector<double> x(static_cast<std::size_t>(m_));
      std::memcpy(x.data(), key.data() + 1, sizeof(double) * x.size());
      all.push_back({std::move(x), {key[0], count}});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
      if (a.second.first != b.second.first) return a.second.first < b.second.first;
      return a.first < b.first;
    });
    DyadClassRows rows;
    rows.m = m_;
    for (const auto& [x, yc] : all) {
      rows.x.insert(rows.x.end(), x.begin(), x.end());
      rows.y.push_back(yc.first);
      rows.count.push_back(yc.second);
    }
    return rows;
  }

 private:
  int m_;
  std::string key_;
  std::unordered_map<std::string, std::int64_t> counts_;
};

}  // namespace

bool fits_by_dyad_classes(const Study& study) {
  if (study.node_count() <= dense_fit_nodes || study.include_diagonal) return false;
  for (const TermPointer& term : study.model.terms) {
    if (!term->node_class_form()) return false;
  }
  return true;
}

void check_sweep_size(const Study& study) {
  if (study.dyad_count() <= largest_sweep || fits_by_dyad_classes(study)) return;
  std::string term;
  for (const TermPointer& t : study.model.terms) {
    if (!t->node_class_form()) {
      term = t->text();
      break;
    }
  }
  throw UsageError("the pseudo-likelihood of a network of " + std::to_string(study.node_count()) +
                   " nodes sweeps " + std::to_string(study.dyad_count()) +
                   " dyads; a network that large is fitted by classes of dyads, for models of "
                   "edges, mutual and attribute terms only" +
                   (term.empty() ? std::string(" (and without --diagonal)")
                                 : ", and " + term + " is none of them"));
}

namespace {

// The touched dyads: both directions of every link, and the dyads the terms name (undirected:
// each pair once, i < j), sorted.
std::vector<std::uint64_t> touched_dyads(const Study& study, const Forms& forms) {
  const bool directed = study.directed();
  std::vector<std::uint64_t> touched;
  auto touch = [&](int i, int j) {
    if (i == j) return;
    if (!directed && i > j) std::swap(i, j);
    touched.push_back(pair_key(i, j));
  };
  for (int a = 1; a <= study.node_count(); ++a) {
    for (node_id e : study.network.out_list(a)) {
      const int b = e < 0 ? -e : e;
      touch(a, b);
      if (directed) touch(b, a);
    }
  }
  for (const NodeClassForm& form : forms.of_term) {
    for (const auto& [i, j] : form.touched) touch(i, j);
  }
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  return touched;
}

// The rows of the touched dyads, one by one, each taken out of the count of its class pair.
void add_touched_rows(const Study& study, const std::vector<std::uint64_t>& touched,
                      const NodeClasses& classes, ClassPairTable& table, RowTable& rows) {
  const bool directed = study.directed();
  std::vector<double> x(static_cast<std::size_t>(std::max(study.model.parameter_count(), 1)));
  const TermGraph graph = study.graph();
  for (const std::uint64_t key : touched) {
    const auto i = static_cast<int>(key >> 32);
    const auto j = static_cast<int>(key & 0xffffffffu);
    int offset = 0;
    for (const TermPointer& term : study.model.terms) {
      term->add_change(graph, i, j, x.data() + offset);
      offset += term->statistic_count();
    }
    rows.add(x.data(), graph.has_link(i, j), 1);
    // Undirected: the pair {i, j} is counted as the ordered pair of its classes taken c1 <= c2.
    int c1 = classes.of_node[static_cast<std::size_t>(i - 1)];
    int c2 = classes.of_node[static_cast<std::size_t>(j - 1)];
    if (!directed && c1 > c2) std::swap(c1, c2);
    table.cell(table.pattern_of(i, j), c1, c2) -= directed || c1 != c2 ? 1 : 2;
  }
}

// Every other dyad, counted by class pair and pattern. Undirected, an ordered count of pairs
// within one class counts each pair twice, and one across two classes is taken from c1 < c2 only.
void add_untouched_rows(const Study& study, const NodeClasses& classes, const MatchKeys& match,
                        ClassPairTable& table, RowTable& rows) {
  const bool directed = study.directed();
  for (std::int64_t p = 0; p < table.patterns(); ++p) {
    for (int c1 = 0; c1 < classes.count; ++c1) {
      for (int c2 = directed ? 0 : c1; c2 < classes.count; ++c2) {
        std::int64_t count = table.cell(p, c1, c2);
        if (!directed && c1 == c2) count /= 2;
        if (count == 0) continue;
        const std::vector<double> x =
            untouched_changes(study.model, match, classes.representative[std::size_t(c1)],
                              classes.representative[std::size_t(c2)], p);
        rows.add(x.data(), false, count);
      }
    }
  }
}

}  // namespace

DyadClassRows dyad_class_rows(const Study& study) {
  const int n = study.node_count();
  const PairLayout layout = pair_layout(study);
  const NodeClasses& classes = layout.classes;
  const MatchKeys& match = layout.match;
  ClassPairTable table(classes, match, n);
  RowTable rows(study.model.parameter_count());
  add_touched_rows(study, touched_dyads(study, layout.forms), classes, table, rows);
  add_untouched_rows(study, classes, match, table, rows);
  return rows.rows();
}

bool pair_classes_apply(const Study& study) {
  if (study.include_diagonal || study.model.curved()) return false;
  for (const TermPointer& term : study.model.terms) {
    const std::optional<NodeClassForm> form = term->node_class_form();
    if (!form || !form->touched.empty()) return false;
  }
  return true;
}

std::vector<PairClass> pair_classes(const Study& study) {
  const int n = study.node_count();
  const PairLayout layout = pair_layout(study);
  const NodeClasses& classes = layout.classes;
  const MatchKeys& match = layout.match;
  ClassPairTable table(classes, match, n);
  std::vector<PairClass> out;
  for (std::int64_t p = 0; p < table.patterns(); ++p) {
    for (int c1 = 0; c1 < classes.count; ++c1) {
      for (int c2 = c1; c2 < classes.count; ++c2) {
        // The table counts ordered pairs: a pair within one class twice.
        const std::int64_t pairs = c1 == c2 ? table.cell(p, c1, c1) / 2 : table.cell(p, c1, c2);
        if (pairs == 0) continue;
        PairClass pair;
        pair.first = classes.representative[static_cast<std::size_t>(c1)];
        pair.second = classes.representative[static_cast<std::size_t>(c2)];
        pair.forward = untouched_changes(study.model, match, pair.first, pair.second, p);
        pair.backward = untouched_changes(study.model, match, pair.second, pair.first, p);
        pair.pairs = pairs;
        out.push_back(std::move(pair));
      }
    }
  }
  return out;
}

namespace {

// The sums of the passes over the rows, each row's terms times its number of dyads.
class ClassRowSums final : public FitSums {
 public:
  ClassRowSums(const DyadClassRows& rows, std::int64_t dyad_count)
      : rows_(rows), dyad_count_(dyad_count) {}

  double totals(ParamVector& xty, ParamMatrix& xsq) override {
    double ties = 0.0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const auto c = static_cast<double>(rows_.count[r]);
      const double y = rows_.y[r] != 0 ? 1.0 : 0.0;
      ties += c * y;
      add_weighted_row(rows_.row(r), rows_.m, c * y, c, &xty, &xsq);
    }
    ties_ = ties;
    return ties;
  }

  // A large sparse network's predictions lie far below the sweep's lower clamp of 0.01, whose
  // logit would start the Newton passes too far away for their limit: below a density of 0.001
  // the clamp is a tenth of the density.
  void logit_sums(const ParamVector& ols, ParamVector& logit_xsum) override {
    const double density = ties_ / static_cast<double>(dyad_count_);
    const double lower = density < 0.001 ? density / 10.0 : start_prediction_lower;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double prediction =
          std::clamp(dot_product(rows_.row(r), ols.base(), rows_.m), lower, start_prediction_upper);
      const double logit = std::log(prediction / (1.0 - prediction));
      add_weighted_row(rows_.row(r), rows_.m, static_cast<double>(rows_.count[r]) * logit, 0.0,
                       &logit_xsum, nullptr);
    }
  }

  // The limits are those of the sweep's Newton passes (pseudo_likelihood.cpp).
  std::int64_t newton_sums(int, const ParamVector& at, ParamVector& wz_sum, ParamMatrix& wxsq,
                           double* log_terms) override {
    const int m = rows_.m;
    std::int64_t zero_weight = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (add_newton_row(rows_.row(r), m, static_cast<double>(rows_.count[r]),
                         rows_.y[r] != 0 ? 1 : 0, at, wz_sum, wxsq, log_terms)) {
        zero_weight += rows_.count[r];
      }
    }
    return zero_weight;
  }

  FinalPassSums final_sums(const ParamVector& estimate, ParamMatrix& wxsq) override {
    FinalPassSums sums;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const std::int64_t count = rows_.count[r];
      const int y = rows_.y[r] != 0 ? 1 : 0;
      const double p = add_final_row(rows_.row(r), rows_.m, static_cast<double>(count), count, y,
                                     estimate, sums, wxsq);
      sums.class_table[y][static_cast<int>(p + 0.5) != 0 ? 1 : 0] += count;
    }
    return sums;
  }

 private:
  const DyadClassRows& rows_;
  std::int64_t dyad_count_;
  double ties_ = 0.0;
};

}  // namespace

FitResult fit_dyad_class_rows(const Study& study, const DyadClassRows& rows,
                              const FitObserver& observer, const ParamVector* start) {
  ClassRowSums sums(rows, study.dyad_count());
  return fit_by_passes(sums, FitPlan{rows.m, study.dyad_count(), study.estimate_bound, &observer,
                                     start, study.newton_until_settled});
}

ParamVector score_of_dyad_class_rows(const DyadClassRows& rows, const ParamVector& estimate) {
  ParamVector score(rows.m);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const double* x = rows.row(r);
    const double p = 1.0 / (1.0 + std::exp(-dot_product(x, estimate.base(), rows.m)));
    const double y = rows.y[r] != 0 ? 1.0 : 0.0;
    add_weighted_row(x, rows.m, static_cast<double>(rows.count[r]) * (y - p), 0.0, &score, nullptr);
  }
  return score;
}

}  // namespace tarn
