#include "simulate/space_proposal.h"

namespace tarn {

std::pair<int, int> SpaceProposal::dyad(const TermGraph& graph, std::int64_t toggleable,
                                        std::uint64_t draw, RandomStream& random) const {
  const auto& free = space_.free_dyads();
  if (!space_.restricts_dyads()) return unconstrained_.dyad(graph, toggleable, draw, random);
  return free[static_cast<std::size_t>(random.below(free.size()))];
}

double SpaceProposal::ratio(bool adding, std::int64_t toggleable, const double* change,
                            RememberedExp& exp) const {
  if (space_.restricts_dyads()) return 1.0;
  return unconstrained_.ratio(adding, toggleable, change, exp);
}

std::array<std::pair<int, int>, 2> SpaceProposal::swap(const TermGraph& graph,
                                                       RandomStream& random) const {
  std::pair<int, int> link, other;
  do {
    link = graph.link_at(
        static_cast<std::int64_t>(random.below(static_cast<std::uint64_t>(graph.link_count()))));
  } while (link.first == link.second || !space_.free(link.first, link.second));
  const auto& free = space_.free_dyads();
  const auto n = static_cast<std::uint32_t>(graph.node_count());
  do {
    if (space_.restricts_dyads()) {
      other = free[static_cast<std::size_t>(random.below(free.size()))];
    } else {
      const auto [a, b] = random.two_below(n, n - 1);
      other = {static_cast<int>(a) + 1, static_cast<int>(b) + 1};
      if (other.second >= other.first) ++other.second;
    }
  } while (graph.has_link(other.first, other.second));
  return {link, other};
}

}  // namespace tarn
