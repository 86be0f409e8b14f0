#pragma once
// The Metropolis-Hastings proposals of valued models: one dyad's value moved. Two choices make a
// proposal, and each is undone by its own probability in the acceptance ratio:
// - which dyad: uniform over the dyads, or zero-modified (half the time a dyad of non-zero
//   value, which keeps a sparse network of counts from spending its proposals on zeros);
// - which value: uniform over the reference's other values (a bounded reference), or a draw
//   from the Poisson distribution of mean y + 1/2 other than y (ergm.count's Poisson proposal);
//   a value outside the reference's support is proposed and refused.
// By default a Poisson or geometric reference takes the zero-modified Poisson proposal, a
// binomial or discrete uniform one the uniform proposal.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulate/random_stream.h"
#include "terms/valued_graph.h"
#include "valued/reference.h"

namespace tarn {

enum class DyadChoice { uniform, zero_modified };
enum class ValueMove { uniform, poisson_jump };

struct ValuedProposal {
  DyadChoice dyad = DyadChoice::uniform;
  ValueMove value = ValueMove::uniform;
  // The dyads it moves, each as likely (the missing ones, for the completions of an observed
  // network; undirected a < b); null: every dyad, chosen by `dyad`.
  std::shared_ptr<const std::vector<std::pair<int, int>>> among = nullptr;
  std::string name() const;  // "uniform", "Poisson", "ZIPoisson", "ZIUniform"
};

ValuedProposal default_proposal(const Reference& reference);
// By its name (as name() writes it); ModelError for another name, or a uniform value move on an
// unbounded reference.
ValuedProposal proposal_named(const std::string& name, const Reference& reference);

struct ProposedMove {
  int i = 0, j = 0;
  int to = 0;
  bool valid = false;      // false: outside the support (refused) or no other value
  double log_ratio = 0.0;  // log q(y | y') - log q(y' | y)
};

// Proposes a move from the graph's state; uses `weights` for the log-factorials.
ProposedMove propose(const ValuedGraph& g, const ValuedProposal& proposal,
                     const Reference& reference, const ReferenceWeights& weights,
                     RandomStream& random);

// A draw from the Poisson distribution of mean `mean` (inversion from the mode), and its log
// probability at k; the same bits on every machine.
int poisson_draw(RandomStream& random, double mean, const ReferenceWeights& weights);
double poisson_log_probability(int k, double mean, const ReferenceWeights& weights);

}  // namespace tarn
