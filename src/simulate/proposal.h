#pragma once
// How a chain proposes the dyad it toggles, as a small interface: a proposal draws the dyad and
// says the ratio q(reverse) / q(forward) that the Metropolis-Hastings acceptance needs. The
// tie/no-tie proposal (half the time a present link, else a dyad by its DyadDraw) is the one in
// use; another is one class.

#include <array>
#include <cstdint>
#include <utility>

#include "simulate/dyad_draw.h"
#include "simulate/random_stream.h"
#include "simulate/remembered_exp.h"
#include "terms/term_graph.h"

namespace tarn {

class Proposal {
 public:
  virtual ~Proposal() = default;
  // The dyad to toggle in `graph`: `draw` holds 64 random bits the chain drew, of which the
  // proposal may use the lowest (the top 53 decide the acceptance); `random` gives more.
  // `toggleable`: the links the proposal may remove (self-links fixed in the graph left out).
  virtual std::pair<int, int> dyad(const TermGraph& graph, std::int64_t toggleable,
                                   std::uint64_t draw, RandomStream& random) const = 0;
  // q(reverse) / q(forward) of toggling that dyad (`adding` a link or removing one), its change
  // statistics in `change`; `exp` for exponentials the chain keeps at hand.
  virtual double ratio(bool adding, std::int64_t toggleable, const double* change,
                       RememberedExp& exp) const = 0;
  // True: each move swaps a link and a non-link (the link count kept), both drawn uniformly by
  // swap(), a symmetric proposal; dyad() and ratio() are then not asked.
  virtual bool swaps() const { return false; }
  // The link to remove and the non-link to add.
  virtual std::array<std::pair<int, int>, 2> swap(const TermGraph& /*graph*/,
                                                  RandomStream& /*random*/) const {
    return {};
  }
  // True: each move toggles a few dyads at once (rewire()), keeping degrees; a symmetric
  // proposal, so the acceptance is the model's weight alone. dyad() and ratio() are not asked.
  virtual bool rewires() const { return false; }
  // The dyads to toggle, in order (removed links and added ones); none: the chain stays.
  struct Rewiring {
    int count = 0;
    std::array<std::pair<int, int>, 6> toggles{};
  };
  virtual Rewiring rewire(const TermGraph& /*graph*/, RandomStream& /*random*/) const { return {}; }
  // False: toggling (i, j) would leave the networks sampled over, and the chain stays.
  virtual bool allowed(const TermGraph& /*graph*/, int /*i*/, int /*j*/, bool /*adding*/) const {
    return true;
  }
};

// How one proposal's acceptance weighs the proposal probabilities of the uniform tie/no-tie
// proposal: q(reverse) / q(forward) for a move that adds (or removes) a link when the graph has
// `links` toggleable links among `dyads`.
using ProposalRatio = double (*)(bool adding, std::int64_t links, std::int64_t dyads);
double tie_no_tie_ratio(bool adding, std::int64_t links, std::int64_t dyads);

class TieNoTie final : public Proposal {
 public:
  // `uniform_ratio` is for the test that shows a wrong acceptance ratio is caught.
  TieNoTie(DyadDraw dyads, bool include_diagonal, ProposalRatio uniform_ratio = tie_no_tie_ratio)
      : dyads_(std::move(dyads)), include_diagonal_(include_diagonal), ratio_(uniform_ratio) {}
  std::pair<int, int> dyad(const TermGraph& graph, std::int64_t toggleable, std::uint64_t draw,
                           RandomStream& random) const override;
  double ratio(bool adding, std::int64_t toggleable, const double* change,
               RememberedExp& exp) const override;
  const DyadDraw& dyads() const { return dyads_; }

 private:
  DyadDraw dyads_;
  bool include_diagonal_;
  ProposalRatio ratio_;
};

}  // namespace tarn
