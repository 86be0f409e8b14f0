#include "simulate/dyad_draw.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "simulate/alias_table.h"
#include "numeric/portable_exp.h"

namespace tarn {

DyadDraw DyadDraw::uniform(int n, bool directed, bool include_diagonal) {
  DyadDraw d;
  d.n_ = n;
  d.directed_ = directed;
  d.include_diagonal_ = include_diagonal;
  const std::int64_t m = n;
  d.dyads_ = !directed ? m * (m - 1) / 2 : include_diagonal ? m * m : m * (m - 1);
  return d;
}

DyadDraw DyadDraw::for_model(const Study& study, const std::vector<double>& eta,
                             std::int64_t most_dyads) {
  DyadDraw d = uniform(study.node_count(), study.directed(), study.include_diagonal);
  if (study.include_diagonal || d.n_ < 2) return d;
  const Model& model = study.model;
  d.independent_eta_.assign(eta.size(), 0.0);
  bool any = false;
  for (int t = 0; t < model.term_count(); ++t) {
    const Term& term = *model.terms[std::size_t(t)];
    if (!term.dyad_independent()) continue;
    for (int s = 0; s < term.statistic_count(); ++s) {
      const auto k = std::size_t(model.first_statistic(t) + s);
      d.independent_eta_[k] = eta[k];
    }
    any = true;
  }
  if (!any) return d;
  // Past a table that fits a core's cache, the cells when their draw is cheap: a table of a
  // million dyads costs a cache miss per proposal (a quarter of school_large's MCMC time went to
  // it), a few cells none.
  if (d.dyads_ > std::min(most_dyads, cached_table_dyads)) {
    const double most_tries = d.dyads_ > most_dyads ? 64.0 : 2.0;
    if (d.weigh_by_cells(study, most_tries) == CellWeights::drawn) return d;
    if (d.dyads_ > most_dyads) {
      d.independent_eta_.clear();  // uniform: no table of that many dyads
      return d;
    }
  }
  if (!d.directed_) {
    d.row_start_.assign(std::size_t(d.n_) + 1, 0);
    for (int i = 2; i <= d.n_; ++i) {
      d.row_start_[std::size_t(i)] = d.row_start_[std::size_t(i - 1)] + (d.n_ - i + 1);
    }
  }
  // Each dyad's change statistics of the dyad-independent terms (the graph does not matter to
  // them), summed as probability() sums them.
  const TermGraph graph = study.graph();
  std::vector<double> change(eta.size(), 0.0), log_weight(std::size_t(d.dyads_));
  for (std::int64_t k = 0; k < d.dyads_; ++k) {
    const auto [i, j] = d.pair_of(k);
    double* out = change.data();
    for (const TermPointer& term : model.terms) {
      if (term->dyad_independent()) term->add_change(graph, i, j, out);
      out += term->statistic_count();
    }
    log_weight[std::size_t(k)] = d.log_weight(change.data());
  }
  const auto [low, high] = std::minmax_element(log_weight.begin(), log_weight.end());
  if (*low == *high) {
    d.independent_eta_.clear();
    return d;
  }
  d.top_ = *high;
  std::vector<double> weight(log_weight.size());
  double total = 0.0;
  for (std::size_t k = 0; k < weight.size(); ++k) {
    total += weight[k] = weight_of(log_weight[k] - d.top_);
  }
  d.total_weight_ = total;
  d.table_ = alias_entries(weight, total);
  d.study_ = &study;
  return d;
}

DyadDraw::CellWeights DyadDraw::weigh_by_cells(const Study& study, double most_tries) {
  std::optional<ClassDyadDraw> cells = ClassDyadDraw::of(study);
  if (!cells) return CellWeights::unavailable;
  std::vector<double> log_weight;
  for (const ClassDyadDraw::Cell& cell : cells->cells()) {
    log_weight.push_back(this->log_weight(cell.change.data()));
  }
  const auto [low, high] = std::minmax_element(log_weight.begin(), log_weight.end());
  if (*low == *high) {
    independent_eta_.clear();  // every dyad alike
    return CellWeights::drawn;
  }
  top_ = *high;
  std::vector<double> weight;
  double total = 0.0;
  for (std::size_t c = 0; c < log_weight.size(); ++c) {
    weight.push_back(weight_of(log_weight[c] - top_));
    total += weight.back() * static_cast<double>(cells->cells()[c].pairs);
  }
  cells->weigh(weight);
  // Drawing again until a dyad of the drawn cell comes costs more than the weights save when the
  // heavy cells are small parts of their groups.
  if (cells->expected_tries() > most_tries) {
    top_ = 0.0;
    return CellWeights::unavailable;
  }
  total_weight_ = directed_ ? total : total / 2.0;  // undirected: each edge both ways
  cells_ = std::make_shared<const ClassDyadDraw>(std::move(*cells));
  study_ = &study;
  return CellWeights::drawn;
}

double DyadDraw::weight_of(double log_weight) {
  return std::max(portable_exp(log_weight), 1e-12);
}

double DyadDraw::probability(int i, int j) const {
  std::vector<double> change(independent_eta_.size(), 0.0);
  const TermGraph graph = study_->graph();
  double* out = change.data();
  for (const TermPointer& term : study_->model.terms) {
    if (term->dyad_independent()) term->add_change(graph, i, j, out);
    out += term->statistic_count();
  }
  return probability(change.data());
}

std::pair<int, int> DyadDraw::pair_of(std::int64_t index) const {
  if (directed_) {
    const int i = static_cast<int>(index / (n_ - 1)) + 1;
    int j = static_cast<int>(index % (n_ - 1)) + 1;
    if (j >= i) ++j;
    return {i, j};
  }
  // The row i whose pairs (i, i + 1) .. (i, n) hold the index: row i starts at
  // (i - 1)(2n - i) / 2; the root of that quadratic, then a step either way for its rounding.
  const double m = 2.0 * n_ - 1.0;
  int i = static_cast<int>(
              std::floor((m - std::sqrt(m * m - 8.0 * static_cast<double>(index))) / 2.0)) +
          1;
  i = std::clamp(i, 1, n_ - 1);
  while (i > 1 && row_start_[std::size_t(i)] > index) --i;
  while (i < n_ - 1 && row_start_[std::size_t(i + 1)] <= index) ++i;
  return {i, i + 1 + static_cast<int>(index - row_start_[std::size_t(i)])};
}

double weighted_tie_no_tie_ratio(bool adding, std::int64_t links, double q) {
  const auto l = static_cast<double>(links);
  if (adding) {
    const double forward = (links > 0 ? 0.5 : 1.0) * q;
    return (0.5 / (l + 1.0) + 0.5 * q) / forward;
  }
  const double reverse = (links > 1 ? 0.5 : 1.0) * q;
  return reverse / (0.5 / l + 0.5 * q);
}

}  // namespace tarn
