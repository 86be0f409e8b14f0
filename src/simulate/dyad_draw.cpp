#include "simulate/dyad_draw.h"

#include <algorithm>
#include <cmath>

#include "simulate/portable_exp.h"

namespace tarn {

namespace {

// Walker's alias table of `weights` (Vose's construction, in index order so that it is the same
// on every machine): draw k uniformly, keep it with probability cutoff[k], else take alias[k].
void build_alias(const std::vector<double>& weights, std::vector<double>& cutoff,
                 std::vector<std::uint32_t>& alias) {
  const std::size_t n = weights.size();
  double total = 0.0;
  for (double w : weights) total += w;
  cutoff.assign(n, 0.0);
  alias.assign(n, 0);
  std::vector<std::uint32_t> small, large;
  for (std::size_t k = 0; k < n; ++k) {
    cutoff[k] = weights[k] * static_cast<double>(n) / total;
    (cutoff[k] < 1.0 ? small : large).push_back(static_cast<std::uint32_t>(k));
  }
  while (!small.empty() && !large.empty()) {
    const std::uint32_t s = small.back(), l = large.back();
    small.pop_back();
    alias[s] = l;
    cutoff[l] -= 1.0 - cutoff[s];
    if (cutoff[l] < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
  for (std::uint32_t k : large) cutoff[k] = 1.0;
  for (std::uint32_t k : small) cutoff[k] = 1.0;  // rounding left over
}

}  // namespace

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
  if (study.include_diagonal || d.dyads_ > most_dyads || d.n_ < 2) return d;
  const Model& model = study.model;
  const TermGraph graph = study.graph();
  std::vector<double> change(std::size_t(model.parameter_count()), 0.0);
  std::vector<double> log_weight(std::size_t(d.dyads_), 0.0);
  if (!d.directed_) {
    d.row_start_.assign(std::size_t(d.n_) + 1, 0);
    for (int i = 1; i <= d.n_; ++i)
      d.row_start_[std::size_t(i)] = d.row_start_[std::size_t(i - 1)] + (i == 1 ? 0 : d.n_ - i + 1);
  }
  bool varies = false;
  int first = 0;
  for (int t = 0; t < model.term_count(); ++t) {
    const Term& term = *model.terms[std::size_t(t)];
    const int count = term.statistic_count();
    if (term.dyad_independent()) {
      for (std::int64_t k = 0; k < d.dyads_; ++k) {
        const auto [i, j] = d.pair_of(k);
        std::fill(change.begin(), change.begin() + count, 0.0);
        term.add_change(graph, i, j, change.data());
        double v = 0.0;
        for (int s = 0; s < count; ++s) v += eta[std::size_t(first + s)] * change[std::size_t(s)];
        log_weight[std::size_t(k)] += v;
      }
    }
    first += count;
  }
  const auto [low, high] = std::minmax_element(log_weight.begin(), log_weight.end());
  varies = *low != *high;
  if (!varies) return d;
  // A floor of 1e-12 of the largest weight keeps every dyad proposable, so the chain stays
  // irreducible whatever the coefficients.
  const double top = *high;
  std::vector<double> weight(log_weight.size());
  double total = 0.0;
  for (std::size_t k = 0; k < weight.size(); ++k) {
    weight[k] = std::max(portable_exp(log_weight[k] - top), 1e-12);
    total += weight[k];
  }
  d.probability_.resize(weight.size());
  for (std::size_t k = 0; k < weight.size(); ++k) d.probability_[k] = weight[k] / total;
  build_alias(weight, d.cutoff_, d.alias_);
  return d;
}

std::int64_t DyadDraw::index_of(int i, int j) const {
  if (directed_) return std::int64_t(i - 1) * (n_ - 1) + (j < i ? j - 1 : j - 2);
  if (i > j) std::swap(i, j);
  return row_start_[std::size_t(i)] + (j - i - 1);
}

std::pair<int, int> DyadDraw::pair_of(std::int64_t index) const {
  if (directed_) {
    const int i = static_cast<int>(index / (n_ - 1)) + 1;
    int j = static_cast<int>(index % (n_ - 1)) + 1;
    if (j >= i) ++j;
    return {i, j};
  }
  // The row i whose pairs (i, i + 1) .. (i, n) hold the index.
  const auto row = std::upper_bound(row_start_.begin() + 1, row_start_.end(), index) - 1;
  const int i = static_cast<int>(row - row_start_.begin());
  return {i, i + 1 + static_cast<int>(index - *row)};
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
