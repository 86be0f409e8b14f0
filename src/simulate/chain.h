#pragma once
// One Markov chain of networks from a model's distribution P(y) proportional to
// exp(eta . g(y)), by Metropolis-Hastings with a proposal (proposal.h): each step proposes one
// dyad, computes its change statistics locally (the neighbours of its two nodes), and toggles it
// with the Metropolis-Hastings probability. The chain owns its graph and its statistics, kept up
// to date at every accepted toggle; its coefficients can change between runs (maximum
// likelihood by MCMC draws at changing estimates, equilibrium expectation moves them as it
// goes). Seeded by a RandomStream of its own, so that a chain's walk depends on its seed and
// index only.

#include <cstdint>
#include <vector>

#include "model/model.h"
#include "network/capacity.h"
#include "simulate/proposal.h"
#include "simulate/random_stream.h"
#include "simulate/remembered_exp.h"
#include "terms/term_graph.h"

namespace tarn {

class Chain {
 public:
  enum class Walk {
    finished,    // every proposal made
    filled,      // the link count passed the link capacity (the chain cannot follow it further)
    called_off,  // the caller's keep_going said no
  };

  // Starts at `start` with its statistics `start_statistics`, at canonical parameters `eta`.
  // `include_diagonal`: the self-pairs are dyads (the dialogue's world; otherwise self-links in
  // `start` stay fixed). The model and the proposal must outlive the chain. `link_capacity`:
  // the most links its network may hold (chain_link_capacity).
  Chain(const Model& model, std::vector<double> eta, TermGraph start,
        std::vector<double> start_statistics, RandomStream random, const Proposal& proposal,
        bool include_diagonal = false, std::int64_t link_capacity = max_links);

  void set_coefficients(std::vector<double> eta) { eta_ = std::move(eta); }

  // `count` proposals, or fewer when the link store fills or `keep_going()` (asked every 1024
  // proposals) says no.
  template <class KeepGoing>
  Walk run(std::int64_t count, KeepGoing keep_going);
  Walk run(std::int64_t count) {
    return run(count, [] { return true; });
  }

  const TermGraph& graph() const { return graph_; }
  const std::vector<double>& statistics() const { return statistics_; }
  std::int64_t proposals() const { return proposals_; }
  std::int64_t accepted() const { return accepted_; }

 private:
  // One Metropolis-Hastings step; true when it changed the graph.
  bool propose();
  // The same for a proposal that swaps a link and a non-link.
  bool propose_swap();
  bool propose_rewiring();

  const Model& model_;
  std::vector<double> eta_;
  TermGraph graph_;
  std::vector<double> statistics_;
  RandomStream random_;
  const Proposal& proposal_;
  const bool rewires_;  // asked once: the hot loop makes no second virtual call
  bool include_diagonal_;
  std::int64_t link_capacity_;
  std::vector<double> delta_, added_;  // added_: a swap's second change, a rewiring's sum
  RememberedExp exp_;
  std::int64_t dyads_ = 0, fixed_links_ = 0;
  std::int64_t proposals_ = 0, accepted_ = 0;
};

template <class KeepGoing>
Chain::Walk Chain::run(std::int64_t count, KeepGoing keep_going) {
  for (std::int64_t k = 0; k < count; ++k) {
    if ((k & 1023) == 0 && !keep_going()) return Walk::called_off;
    if (propose() && graph_.link_count() > link_capacity_) return Walk::filled;
  }
  return Walk::finished;
}

}  // namespace tarn
