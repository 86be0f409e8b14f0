#pragma once
// The dyad half of the tie/no-tie proposal: which dyad is proposed, and with what probability.
// Uniform, every dyad alike; or weighted by the model's dyad-independent terms, dyad d with
// probability proportional to exp(eta . change(d)) over those terms (ergm's stratified tie/no-tie
// proposals follow the same idea): a homophily model whose links lie almost all within groups
// then proposes those dyads, not the millions between groups whose additions are all refused, and
// the acceptance ratio keeps the chain's distribution the model's. Drawn in constant time by
// Walker's alias method from a table of the dyads, built once per sample and shared by its chains;
// above `most_dyads` dyads, from their cells by node classes (simulate/class_dyad_draw.h).

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "model/study.h"
#include "simulate/alias_table.h"
#include "simulate/class_dyad_draw.h"
#include "simulate/random_stream.h"

namespace tarn {

// The most dyads weighted by a table of every dyad (16 bytes each: 256 MB).
inline constexpr std::int64_t most_table_dyads = std::int64_t{1} << 24;

// The most dyads whose table (1 MB) is drawn from before cells of node classes.
inline constexpr std::int64_t cached_table_dyads = std::int64_t{1} << 16;

class DyadDraw {
 public:
  // Every dyad of n nodes alike (directed: ordered pairs, with the self-pairs or without;
  // undirected: the ordered pairs too, each edge twice).
  static DyadDraw uniform(int n, bool directed, bool include_diagonal);
  // The study's dyads (no self-pairs) weighted by its model's dyad-independent terms at the
  // canonical parameters `eta`; uniform when those terms give every dyad the same weight. Above
  // `most_dyads` dyads (the table's memory), weighted by cells of node classes, and uniform when
  // the terms have no such cells (simulate/class_dyad_draw.h).
  static DyadDraw for_model(const Study& study, const std::vector<double>& eta,
                            std::int64_t most_dyads = most_table_dyads);

  bool weighted() const { return !table_.empty() || cells_; }
  bool weighted_by_cells() const { return cells_ != nullptr; }
  std::int64_t count() const { return dyads_; }  // the dyads drawn from
  std::pair<int, int> draw(RandomStream& random) const {
    if (!weighted()) return uniform_pair(random);
    if (cells_) return cells_->draw(random);
    // One draw: the dyad from its high half (Lemire's method, redrawn where it would favour some),
    // the keep-or-alias decision from its low half.
    for (;;) {
      const std::uint64_t x = random.next();
      const std::uint64_t scaled = (x >> 32) * static_cast<std::uint64_t>(dyads_);
      const auto low = static_cast<std::uint32_t>(scaled);
      const auto limit = static_cast<std::uint32_t>(dyads_);
      if (low < limit && low < (0u - limit) % limit) continue;
      const AliasEntry& entry = table_[scaled >> 32];
      const double u = static_cast<double>(x & 0xffffffffu) * 0x1.0p-32;
      const std::uint32_t index =
          u < entry.cutoff ? static_cast<std::uint32_t>(scaled >> 32) : entry.alias;
      return pair_of(static_cast<std::int64_t>(index));
    }
  }
  // The probability of proposing a dyad by this draw (weighted only), from its change statistics
  // (every statistic's, in the model's order; the dependent terms' are not read), as the table
  // was built: no lookup in a table of millions of dyads per proposal.
  double probability(const double* change) const {
    return weight_of(log_weight(change)) / total_weight_;
  }
  // Its parts, for a caller that keeps exponentials at hand: the dyad's weight is
  // max(exp(log_weight), 1e-12) over total_weight().
  double log_weight(const double* change) const {
    double v = 0.0;
    for (std::size_t s = 0; s < independent_eta_.size(); ++s) v += independent_eta_[s] * change[s];
    return v - top_;
  }
  double total_weight() const { return total_weight_; }
  // The same for the dyad (i, j), from the model's terms.
  double probability(int i, int j) const;

 private:
  std::pair<int, int> uniform_pair(RandomStream& random) const {
    const auto [sender, other] =
        random.two_below(static_cast<std::uint32_t>(n_),
                         static_cast<std::uint32_t>(include_diagonal_ ? n_ : n_ - 1));
    const int i = static_cast<int>(sender) + 1;
    int j = static_cast<int>(other) + 1;
    if (!include_diagonal_ && j >= i) ++j;
    return {i, j};
  }
  // exp(log weight), at least 1e-12: every dyad stays proposable, so the chain stays
  // irreducible whatever the coefficients.
  static double weight_of(double log_weight);
  // The weights by cells of node classes, when there are some whose draw takes at most
  // `most_tries` pairs of nodes per dyad on average.
  enum class CellWeights { drawn, unavailable };
  CellWeights weigh_by_cells(const Study& study, double most_tries);
  std::pair<int, int> pair_of(std::int64_t index) const;

  int n_ = 0;
  bool directed_ = true, include_diagonal_ = false;
  std::int64_t dyads_ = 0;
  std::vector<AliasEntry> table_;               // by dyad index; empty when uniform
  std::shared_ptr<const ClassDyadDraw> cells_;  // instead of the table, for many dyads
  std::vector<double> independent_eta_;  // eta of the dyad-independent statistics, 0 elsewhere
  double top_ = 0.0, total_weight_ = 1.0;
  std::vector<std::int64_t> row_start_;  // undirected: the index of the pair (i, i + 1)
  const Study* study_ = nullptr;         // for probability(i, j)
};

// The acceptance ratio's proposal part, q(reverse) / q(forward), of the tie/no-tie proposal whose
// dyad half proposes the toggled dyad with probability q: adding a link to `links` links
// (forward: the dyad move alone, which is every move when there is no link; reverse: either move),
// or removing one.
double weighted_tie_no_tie_ratio(bool adding, std::int64_t links, double q);

}  // namespace tarn
