#include "simulate/space_proposal.h"

#include <utility>

namespace tarn {

std::pair<int, int> SpaceProposal::dyad(const TermGraph& graph, std::int64_t toggleable,
                                        std::uint64_t draw, RandomStream& random) const {
  if (!space_.restricts_dyads()) return unconstrained_.dyad(graph, toggleable, draw, random);
  return space_.free_dyad(static_cast<std::int64_t>(
      random.below(static_cast<std::uint64_t>(space_.free_dyad_count()))));
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
  const auto n = static_cast<std::uint32_t>(graph.node_count());
  const auto free = static_cast<std::uint64_t>(space_.free_dyad_count());
  do {
    if (space_.restricts_dyads()) {
      other = space_.free_dyad(static_cast<std::int64_t>(random.below(free)));
    } else {
      const auto [a, b] = random.two_below(n, n - 1);
      other = {static_cast<int>(a) + 1, static_cast<int>(b) + 1};
      if (other.second >= other.first) ++other.second;
    }
  } while (graph.has_link(other.first, other.second));
  return {link, other};
}

namespace {

std::pair<int, int> link_drawn(const TermGraph& graph, RandomStream& random) {
  return graph.link_at(
      static_cast<std::int64_t>(random.below(static_cast<std::uint64_t>(graph.link_count()))));
}

}  // namespace

Proposal::Rewiring SpaceProposal::rewire(const TermGraph& graph, RandomStream& random) const {
  if (graph.link_count() == 0) return {};
  if (!graph.directed()) return swap_ends(graph, random);
  if (!(space_.fixes_out_degrees() && space_.fixes_in_degrees())) return move_end(graph, random);
  return random.below(2) == 0 ? swap_ends(graph, random) : turn_triangle(graph, random);
}

Proposal::Rewiring SpaceProposal::swap_ends(const TermGraph& graph, RandomStream& random) const {
  const std::int64_t links = graph.link_count();
  if (links < 2) return {};
  const auto k = static_cast<std::int64_t>(random.below(static_cast<std::uint64_t>(links)));
  auto m = static_cast<std::int64_t>(random.below(static_cast<std::uint64_t>(links - 1)));
  if (m >= k) ++m;
  auto [a, b] = graph.link_at(k);
  auto [c, d] = graph.link_at(m);
  // Undirected, the two ways of pairing the ends; a directed link keeps its direction.
  if (!graph.directed() && random.below(2) == 1) std::swap(c, d);
  if (a == b || c == d || a == c || a == d || b == c || b == d) return {};
  if (graph.has_link(a, d) || graph.has_link(c, b)) return {};
  Rewiring move{4, {{{a, b}, {c, d}, {a, d}, {c, b}}}};
  for (int t = 0; t < move.count; ++t) {
    const auto [i, j] = move.toggles[static_cast<std::size_t>(t)];
    if (!space_.free(i, j)) return {};
  }
  return move;
}

Proposal::Rewiring SpaceProposal::move_end(const TermGraph& graph, RandomStream& random) const {
  const auto [i, j] = link_drawn(graph, random);
  const int k = static_cast<int>(random.below(static_cast<std::uint64_t>(graph.node_count()))) + 1;
  // Out-degrees fixed: the receiver moves; in-degrees fixed: the sender.
  const std::pair<int, int> to = space_.fixes_out_degrees() ? std::pair{i, k} : std::pair{k, j};
  if (i == j || k == i || k == j || graph.has_link(to.first, to.second)) return {};
  if (!space_.free(i, j) || !space_.free(to.first, to.second)) return {};
  return {2, {{{i, j}, to}}};
}

Proposal::Rewiring SpaceProposal::turn_triangle(const TermGraph& graph,
                                                RandomStream& random) const {
  const auto [a, b] = link_drawn(graph, random);
  const int c = static_cast<int>(random.below(static_cast<std::uint64_t>(graph.node_count()))) + 1;
  if (a == b || c == a || c == b) return {};
  if (!graph.has_link(b, c) || !graph.has_link(c, a)) return {};
  if (graph.has_link(b, a) || graph.has_link(c, b) || graph.has_link(a, c)) return {};
  Rewiring move{6, {{{a, b}, {b, c}, {c, a}, {b, a}, {c, b}, {a, c}}}};
  for (int t = 0; t < move.count; ++t) {
    const auto [i, j] = move.toggles[static_cast<std::size_t>(t)];
    if (!space_.free(i, j)) return {};
  }
  return move;
}

}  // namespace tarn
