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

}  // namespace tarn
