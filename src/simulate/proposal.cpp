#include "simulate/proposal.h"

#include <algorithm>

namespace tarn {

double tie_no_tie_ratio(bool adding, std::int64_t links, std::int64_t dyads) {
  // Adding a link among L: forward, the dyad move only, 1/(2D) (1/D when L = 0, the tie move
  // being impossible); reverse, either move may pick the new link, 1/(2(L + 1)) + 1/(2D).
  // Removing: forward 1/(2L) + 1/(2D), reverse 1/(2D) (1/D when L - 1 = 0). The ratios reversed
  // over forward, each with one division:
  const auto d = static_cast<double>(dyads);
  const auto l = static_cast<double>(links);
  if (adding) return links > 0 ? (d + l + 1.0) / (l + 1.0) : (d + 1.0) / 2.0;
  return (links > 1 ? 1.0 : 2.0) * l / (d + l);
}

std::pair<int, int> TieNoTie::dyad(const TermGraph& graph, std::int64_t toggleable,
                                   std::uint64_t draw, RandomStream& random) const {
  if ((draw & 1u) != 0 && toggleable > 0) {
    int i = 0, j = 0;
    do {  // a fixed self-link is no dyad of the model: draw again
      const auto link = graph.link_at(
          static_cast<std::int64_t>(random.below(static_cast<std::uint64_t>(graph.link_count()))));
      i = link.first;
      j = link.second;
    } while (i == j && !include_diagonal_);
    return {i, j};
  }
  // A dyad by the dyad draw; uniform: sender and receiver (the receiver among the n - 1 others,
  // or all n), and undirected the ordered pair stands for its edge.
  return dyads_.draw(random);
}

double TieNoTie::ratio(bool adding, std::int64_t toggleable, const double* change,
                       RememberedExp& exp) const {
  if (!dyads_.weighted()) return ratio_(adding, toggleable, dyads_.count());
  // The dyad's probability by the weighted draw, its exponential remembered as the gains' are
  // (a few attribute classes give a few values).
  const double q = std::max(exp(dyads_.log_weight(change)), 1e-12) / dyads_.total_weight();
  return weighted_tie_no_tie_ratio(adding, toggleable, q);
}

}  // namespace tarn
