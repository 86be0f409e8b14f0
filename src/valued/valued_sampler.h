#pragma once
// Chains of networks of counts from a valued model, P(y) proportional to
// h(y) exp(eta . g(y)) (h the reference's weights), by Metropolis-Hastings with a valued proposal
// (valued_proposal.h). A sample comes from a fixed number of chains, chain c seeded from
// (seed, c) and network k of the sample taken from chain k % chains, so the same seed gives the
// same networks whatever the number of threads. The chains stay where a draw left them, so that
// maximum likelihood by MCMC warm-starts each sample from the last.

#include <cstdint>
#include <vector>

#include "network/cancel_flag.h"
#include "numeric/matrix.h"
#include "simulate/random_stream.h"
#include "valued/valued_model.h"
#include "valued/valued_proposal.h"

namespace tarn {

struct ValuedChain {
  ValuedGraph graph;
  Vector statistics;
  RandomStream random;
  ReferenceWeights weights;
  std::int64_t proposals = 0, accepted = 0;
};

// What a step changed: the dyad and the count it had (applied false: nothing).
struct AppliedMove {
  int i = 0, j = 0, from = 0;
  bool applied = false;
};

// One Metropolis-Hastings step of the chain at canonical parameters eta.
AppliedMove valued_step(ValuedChain& chain, const ValuedModel& model,
                        const ValuedProposal& proposal, const Vector& eta,
                        std::vector<double>& change);

struct ValuedDraws {
  std::vector<Vector> statistics;     // [network][statistic], network k of chain k % chains
  std::vector<ValuedGraph> networks;  // kept when asked for, in the same order
  std::vector<std::int64_t> nonzero;  // [network] its dyads of non-zero count
  std::int64_t proposals = 0, accepted = 0;
};

class ValuedChains {
 public:
  // `chains` chains started at `start`, chain c seeded from (seed, c).
  ValuedChains(const ValuedModel& model, const ValuedGraph& start, ValuedProposal proposal,
               int chains, std::uint64_t seed, int threads);

  // `networks` networks at eta: `burnin` proposals on each chain, then `interval` proposals
  // before each network; `keep`: the networks too.
  ValuedDraws draw(const Vector& eta, int networks, std::int64_t burnin, std::int64_t interval,
                   bool keep = false);
  // Contrastive divergence's sample: `networks` networks, each `steps` proposals away from its
  // chain's present network, which is then put back as it was (network k from chain k % chains).
  std::vector<Vector> short_walks(const Vector& eta, int networks, std::int64_t steps);
  // Every chain back at `start`, its random stream going on.
  void restart(const ValuedGraph& start);
  int chains() const { return static_cast<int>(chains_.size()); }
  // A caller's request to stop, polled every 1024 proposals (WorkCancelled).
  void set_cancel(CancelFlag cancel) { cancel_ = cancel; }
  const ValuedProposal& proposal() const { return proposal_; }

 private:
  const ValuedModel& model_;
  ValuedProposal proposal_;
  std::vector<ValuedChain> chains_;
  int threads_ = 1;
  CancelFlag cancel_ = nullptr;
};

}  // namespace tarn
