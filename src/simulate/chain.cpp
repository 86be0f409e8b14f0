#include "simulate/chain.h"

#include <algorithm>
#include <cmath>

namespace tarn {

Chain::Chain(const Model& model, std::vector<double> eta, TermGraph start,
             std::vector<double> start_statistics, RandomStream random, const Proposal& proposal,
             bool include_diagonal, std::int64_t link_capacity)
    : model_(model),
      eta_(std::move(eta)),
      graph_(std::move(start)),
      statistics_(std::move(start_statistics)),
      random_(std::move(random)),
      proposal_(proposal),
      rewires_(proposal.rewires()),
      include_diagonal_(include_diagonal),
      link_capacity_(link_capacity),
      delta_(statistics_.size(), 0.0),
      added_(proposal.swaps() || proposal.rewires() ? statistics_.size() : 0, 0.0) {
  const std::int64_t n = graph_.node_count();
  dyads_ = !graph_.directed() ? n * (n - 1) / 2 : include_diagonal_ ? n * n : n * (n - 1);
  if (!include_diagonal_ && graph_.directed()) {
    for (int a = 1; a <= n; ++a) fixed_links_ += graph_.has_link(a, a) ? 1 : 0;
  }
}

bool Chain::propose() {
  if (proposal_.swaps()) return propose_swap();
  if (rewires_) return propose_rewiring();
  ++proposals_;
  if (dyads_ == 0) return false;
  const std::int64_t toggleable = graph_.link_count() - fixed_links_;
  // One draw decides the move (its lowest bit, the proposal's) and the acceptance (its top 53
  // bits).
  const std::uint64_t draw = random_.next();
  const auto [i, j] = proposal_.dyad(graph_, toggleable, draw, random_);
  const bool adding = !graph_.has_link(i, j);
  if (!proposal_.allowed(graph_, i, j, adding)) return false;
  model_.add_changes(graph_, i, j, delta_.data());
  double gain = 0.0;
  // A statistic that does not change adds nothing, also at an infinite offset (0 * inf is NaN).
  for (std::size_t p = 0; p < delta_.size(); ++p) {
    if (delta_[p] != 0.0) gain += eta_[p] * delta_[p];
  }
  // Offsets of -inf and inf that pull both ways: the move is neither forbidden nor forced by
  // one of them alone; it is refused, as the configuration one forbids is never entered.
  if (std::isnan(gain)) return false;
  const double log_weight = adding ? gain : -gain;
  const double ratio = proposal_.ratio(adding, toggleable, delta_.data(), exp_);
  // A weight of at least 1 accepts whatever the draw (exp(0) = 1 and exp rises), so its exp is
  // not needed; the decisions are those of the weight itself.
  if (!(log_weight >= 0.0 && ratio >= 1.0)) {
    const double weight = exp_(log_weight) * ratio;
    if (!(RandomStream::unit_of(draw) < weight)) return false;
  }
  graph_.toggle(i, j);
  const double sign = adding ? 1.0 : -1.0;
  for (std::size_t p = 0; p < delta_.size(); ++p) statistics_[p] += sign * delta_[p];
  ++accepted_;
  return true;
}

bool Chain::propose_swap() {
  ++proposals_;
  const std::uint64_t draw = random_.next();
  const auto [out, in] = proposal_.swap(graph_, random_);
  if (!proposal_.allowed(graph_, out.first, out.second, false)) return false;
  model_.add_changes(graph_, out.first, out.second, delta_.data());
  graph_.toggle(out.first, out.second);
  // The second change is read on the graph without the first link; refused, the link returns.
  bool accepted = proposal_.allowed(graph_, in.first, in.second, true);
  if (accepted) {
    model_.add_changes(graph_, in.first, in.second, added_.data());
    double gain = 0.0;
    for (std::size_t p = 0; p < delta_.size(); ++p) {
      const double d = added_[p] - delta_[p];
      if (d != 0.0) gain += eta_[p] * d;
    }
    // The proposal is symmetric: the link and the non-link counts are the same both ways.
    accepted = !std::isnan(gain) && (gain >= 0.0 || RandomStream::unit_of(draw) < exp_(gain));
  }
  if (!accepted) {
    graph_.toggle(out.first, out.second);
    return false;
  }
  graph_.toggle(in.first, in.second);
  for (std::size_t p = 0; p < delta_.size(); ++p) statistics_[p] += added_[p] - delta_[p];
  ++accepted_;
  return true;
}

bool Chain::propose_rewiring() {
  ++proposals_;
  const std::uint64_t draw = random_.next();
  const Proposal::Rewiring move = proposal_.rewire(graph_, random_);
  if (move.count == 0) return false;
  // Each dyad's change is read on the graph with the dyads before it toggled.
  std::fill(added_.begin(), added_.end(), 0.0);
  for (int k = 0; k < move.count; ++k) {
    const auto [i, j] = move.toggles[static_cast<std::size_t>(k)];
    const double sign = graph_.has_link(i, j) ? -1.0 : 1.0;
    model_.add_changes(graph_, i, j, delta_.data());
    for (std::size_t p = 0; p < delta_.size(); ++p) added_[p] += sign * delta_[p];
    graph_.toggle(i, j);
  }
  double gain = 0.0;
  for (std::size_t p = 0; p < added_.size(); ++p) {
    if (added_[p] != 0.0) gain += eta_[p] * added_[p];
  }
  // The proposal is symmetric: the reverse move is drawn as likely as this one.
  const bool accepted =
      !std::isnan(gain) && (gain >= 0.0 || RandomStream::unit_of(draw) < exp_(gain));
  if (!accepted) {
    for (int k = move.count - 1; k >= 0; --k) {
      const auto [i, j] = move.toggles[static_cast<std::size_t>(k)];
      graph_.toggle(i, j);
    }
    return false;
  }
  for (std::size_t p = 0; p < added_.size(); ++p) statistics_[p] += added_[p];
  ++accepted_;
  return true;
}

}  // namespace tarn
