#pragma once
// The proposal of a chain confined to a sample space (model/sample_space.h). With fixed dyads it
// toggles a free dyad drawn uniformly (a symmetric proposal: the ratio is 1), so every fixed dyad
// keeps its observed value; otherwise it is the tie/no-tie proposal. A toggle that would take a
// degree past a bound is refused and the chain stays: the proposal restricted to the space is
// still that proposal, so the acceptance ratio within the space is unchanged. With the link count
// fixed, a move swaps a free link and a free non-link, each drawn uniformly (by drawing again
// until one is found: the space holds both, and their counts stay as observed).
//
// With degrees fixed a move rewires links, each move drawn as likely as its reverse (a symmetric
// proposal), and one that would touch a fixed dyad, make a self-link or a link already there is
// refused (the chain stays):
// - undirected degrees: two links {a, b}, {c, d} drawn uniformly become {a, d}, {c, b} or
//   {a, c}, {b, d} (one bit decides); these swaps join every network of a degree sequence;
// - odegrees: a link i->j drawn uniformly moves to i->k, k drawn uniformly; idegrees: to k->j;
// - directed degrees: half the moves swap two links a->b, c->d for a->d, c->b; the other half
//   turn a directed triangle a->b->c->a (a link drawn uniformly, c uniformly) around, which the
//   swaps alone cannot do; together they join every network of the in- and out-degrees.

#include "model/sample_space.h"
#include "simulate/proposal.h"

namespace tarn {

class SpaceProposal final : public Proposal {
 public:
  // `space` and `unconstrained` must outlive the proposal.
  SpaceProposal(const SampleSpace& space, const TieNoTie& unconstrained)
      : space_(space), unconstrained_(unconstrained) {}
  std::pair<int, int> dyad(const TermGraph& graph, std::int64_t toggleable, std::uint64_t draw,
                           RandomStream& random) const override;
  double ratio(bool adding, std::int64_t toggleable, const double* change,
               RememberedExp& exp) const override;
  bool swaps() const override { return space_.fixes_link_count(); }
  std::array<std::pair<int, int>, 2> swap(const TermGraph& graph,
                                          RandomStream& random) const override;
  bool rewires() const override { return space_.fixes_degrees(); }
  Rewiring rewire(const TermGraph& graph, RandomStream& random) const override;
  bool allowed(const TermGraph& graph, int i, int j, bool adding) const override {
    return space_.keeps_bounds(graph, i, j, adding);
  }

 private:
  Rewiring swap_ends(const TermGraph& graph, RandomStream& random) const;
  Rewiring move_end(const TermGraph& graph, RandomStream& random) const;
  Rewiring turn_triangle(const TermGraph& graph, RandomStream& random) const;

  const SampleSpace& space_;
  const TieNoTie& unconstrained_;
};

}  // namespace tarn
