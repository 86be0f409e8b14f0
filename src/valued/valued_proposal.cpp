#include "valued/valued_proposal.h"

#include <cmath>

#include "numeric/portable_exp.h"
#include "terms/term.h"

namespace tarn {

std::string ValuedProposal::name() const {
  if (dyad == DyadChoice::uniform) return value == ValueMove::uniform ? "uniform" : "Poisson";
  return value == ValueMove::uniform ? "ZIUniform" : "ZIPoisson";
}

ValuedProposal default_proposal(const Reference& reference) {
  if (reference.bounded()) return {DyadChoice::uniform, ValueMove::uniform};
  return {DyadChoice::zero_modified, ValueMove::poisson_jump};
}

ValuedProposal proposal_named(const std::string& name, const Reference& reference) {
  for (const DyadChoice d : {DyadChoice::uniform, DyadChoice::zero_modified}) {
    for (const ValueMove v : {ValueMove::uniform, ValueMove::poisson_jump}) {
      const ValuedProposal p{d, v};
      if (p.name() != name) continue;
      if (v == ValueMove::uniform && !reference.bounded()) {
        throw ModelError("proposal " + name + " draws values uniformly, which " + reference.text() +
                         " does not bound; give Poisson or ZIPoisson");
      }
      return p;
    }
  }
  throw ModelError("proposal " + name + ": give uniform, ZIUniform, Poisson or ZIPoisson");
}

double poisson_log_probability(int k, double mean, const ReferenceWeights& weights) {
  return k * portable_log(mean) - mean - weights.log_factorial(k);
}

int poisson_draw(RandomStream& random, double mean, const ReferenceWeights& weights) {
  // Inversion that walks outward from the mode, upward first: each value's probability is
  // subtracted from the uniform draw until it is spent; a few sd's steps on average.
  const int mode = static_cast<int>(std::floor(mean));
  double left = random.unit();
  const double at_mode = portable_exp(poisson_log_probability(mode, mean, weights));
  left -= at_mode;
  if (left < 0) return mode;
  int up = mode, down = mode;
  double p_up = at_mode, p_down = at_mode;
  for (;;) {
    p_up *= mean / (up + 1);
    ++up;
    left -= p_up;
    if (left < 0) return up;
    if (down > 0) {
      p_down *= down / mean;
      --down;
      left -= p_down;
      if (left < 0) return down;
    }
    if (p_up < 1e-300 && (down == 0 || p_down < 1e-300)) return up;  // the rounding left over
  }
}

namespace {

constexpr int largest_count = 1000000000;

// log q of choosing dyad (i, j) in a graph with `nonzero` non-zero dyads, its value `value`.
double log_dyad_probability(DyadChoice choice, std::int64_t dyads, std::int64_t nonzero,
                            int value) {
  const double d = static_cast<double>(dyads);
  if (choice == DyadChoice::uniform || nonzero == 0) return -portable_log(d);
  return portable_log(0.5 / d + (value > 0 ? 0.5 / static_cast<double>(nonzero) : 0.0));
}

std::pair<int, int> uniform_dyad(const ValuedGraph& g, RandomStream& random) {
  const auto n = static_cast<std::uint64_t>(g.node_count());
  const int i = static_cast<int>(random.below(n)) + 1;
  int j = static_cast<int>(random.below(n - 1)) + 1;
  if (j >= i) ++j;
  if (!g.directed() && j < i) return {j, i};
  return {i, j};
}

}  // namespace

ProposedMove propose(const ValuedGraph& g, const ValuedProposal& proposal,
                     const Reference& reference, const ReferenceWeights& weights,
                     RandomStream& random) {
  ProposedMove move;
  const std::int64_t nonzero = g.nonzero_count();
  if (proposal.among) {
    const auto k = random.below(static_cast<std::uint64_t>(proposal.among->size()));
    std::tie(move.i, move.j) = (*proposal.among)[static_cast<std::size_t>(k)];
  } else if (proposal.dyad == DyadChoice::zero_modified && nonzero > 0 && random.unit() < 0.5) {
    std::tie(move.i, move.j) = g.nonzero_dyad(
        static_cast<std::int64_t>(random.below(static_cast<std::uint64_t>(nonzero))));
  } else {
    std::tie(move.i, move.j) = uniform_dyad(g, random);
  }
  const int from = g.value(move.i, move.j);
  double log_ratio = 0.0;
  if (proposal.value == ValueMove::uniform) {
    const int values = reference.high - reference.low + 1;
    if (values < 2) return move;
    int to = reference.low + static_cast<int>(random.below(static_cast<std::uint64_t>(values - 1)));
    if (to >= from) ++to;
    move.to = to;
  } else {
    int to = from;
    while (to == from) to = poisson_draw(random, from + 0.5, weights);
    move.to = to;
    auto log_q = [&weights](int a, int b) {  // log q(b | a)
      const double mean = a + 0.5;
      return poisson_log_probability(b, mean, weights) -
             portable_log1p(-portable_exp(poisson_log_probability(a, mean, weights)));
    };
    log_ratio += log_q(to, from) - log_q(from, to);
  }
  // Past a billion a count is no count of this world; a model that goes there has no
  // distribution (its chain drifts upward), and the counts must not overflow.
  if (!reference.allows(move.to) || move.to > largest_count) return move;
  if (!proposal.among) {
    const std::int64_t dyads = g.dyad_count();
    const std::int64_t nonzero_after = nonzero + (move.to > 0) - (from > 0);
    log_ratio += log_dyad_probability(proposal.dyad, dyads, nonzero_after, move.to) -
                 log_dyad_probability(proposal.dyad, dyads, nonzero, from);
  }
  move.log_ratio = log_ratio;
  move.valid = true;
  return move;
}

}  // namespace tarn
