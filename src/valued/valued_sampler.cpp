#include "valued/valued_sampler.h"

#include <algorithm>

#include "numeric/portable_exp.h"
#include "spread/task_spread.h"

namespace tarn {

AppliedMove valued_step(ValuedChain& chain, const ValuedModel& model,
                        const ValuedProposal& proposal, const Vector& eta,
                        std::vector<double>& change) {
  const ProposedMove move =
      propose(chain.graph, proposal, model.reference, chain.weights, chain.random);
  ++chain.proposals;
  if (!move.valid) return {};
  std::fill(change.begin(), change.end(), 0.0);
  model.change(chain.graph, move.i, move.j, move.to, change.data());
  double log_accept = move.log_ratio + chain.weights.log_weight(move.to) -
                      chain.weights.log_weight(chain.graph.value(move.i, move.j));
  for (std::size_t s = 0; s < change.size(); ++s) log_accept += eta[s] * change[s];
  if (log_accept < 0 && !(chain.random.unit() < portable_exp(log_accept))) return {};
  const AppliedMove applied{move.i, move.j, chain.graph.value(move.i, move.j), true};
  for (std::size_t s = 0; s < change.size(); ++s) chain.statistics[s] += change[s];
  chain.graph.set(move.i, move.j, move.to);
  ++chain.accepted;
  return applied;
}

std::vector<Vector> ValuedChains::short_walks(const Vector& eta, int networks, std::int64_t steps) {
  const int count = chains();
  const auto shares = run_tasks(nullptr, count, threads_, [&](int c) {
    ValuedChain& chain = chains_[static_cast<std::size_t>(c)];
    std::vector<double> change(static_cast<std::size_t>(model_.statistic_count()));
    std::vector<AppliedMove> walked;
    TaskResult drawn;
    for (int k = c; k < networks; k += count) {
      stop_if_cancelled(cancel_);
      const Vector statistics = chain.statistics;
      walked.clear();
      for (std::int64_t s = 0; s < steps; ++s) {
        const AppliedMove move = valued_step(chain, model_, proposal_, eta, change);
        if (move.applied) walked.push_back(move);
      }
      drawn.insert(drawn.end(), chain.statistics.begin(), chain.statistics.end());
      for (auto move = walked.rbegin(); move != walked.rend(); ++move) {
        chain.graph.set(move->i, move->j, move->from);
      }
      chain.statistics = statistics;
    }
    return drawn;
  });
  std::vector<Vector> sample;
  const auto width = static_cast<std::size_t>(model_.statistic_count());
  for (int k = 0; k < networks; ++k) {
    const auto& share = shares[static_cast<std::size_t>(k % count)];
    const std::size_t at = static_cast<std::size_t>(k / count) * width;
    sample.emplace_back(share.begin() + static_cast<std::ptrdiff_t>(at),
                        share.begin() + static_cast<std::ptrdiff_t>(at + width));
  }
  return sample;
}

ValuedChains::ValuedChains(const ValuedModel& model, const ValuedGraph& start,
                           ValuedProposal proposal, int chains, std::uint64_t seed, int threads)
    : model_(model), proposal_(proposal), threads_(std::max(1, threads)) {
  const Vector statistics = model.statistics(start);
  for (int c = 0; c < std::max(1, chains); ++c) {
    chains_.push_back(ValuedChain{start, statistics,
                                  RandomStream(seed, static_cast<std::uint64_t>(c)),
                                  ReferenceWeights(model.reference)});
  }
}

void ValuedChains::restart(const ValuedGraph& start) {
  const Vector statistics = model_.statistics(start);
  for (ValuedChain& chain : chains_) {
    chain.graph = start;
    chain.statistics = statistics;
  }
}

ValuedDraws ValuedChains::draw(const Vector& eta, int networks, std::int64_t burnin,
                               std::int64_t interval, bool keep) {
  const int count = chains();
  // Chain c gives networks c, c + count, ...: its share, drawn on its own thread.
  std::vector<std::vector<ValuedGraph>> kept(static_cast<std::size_t>(count));
  const auto shares = run_tasks(nullptr, count, threads_, [&](int c) {
    ValuedChain& chain = chains_[static_cast<std::size_t>(c)];
    std::vector<double> change(static_cast<std::size_t>(model_.statistic_count()));
    TaskResult drawn;
    for (std::int64_t k = 0; k < burnin; ++k) {
      if ((k & 1023) == 0) stop_if_cancelled(cancel_);
      valued_step(chain, model_, proposal_, eta, change);
    }
    for (int k = c; k < networks; k += count) {
      for (std::int64_t s = 0; s < interval; ++s) {
        if ((s & 1023) == 0) stop_if_cancelled(cancel_);
        valued_step(chain, model_, proposal_, eta, change);
      }
      drawn.insert(drawn.end(), chain.statistics.begin(), chain.statistics.end());
      drawn.push_back(static_cast<double>(chain.graph.nonzero_count()));
      if (keep) kept[static_cast<std::size_t>(c)].push_back(chain.graph);
    }
    return drawn;
  });
  ValuedDraws draws;
  const auto width = static_cast<std::size_t>(model_.statistic_count());
  for (int k = 0; k < networks; ++k) {
    const auto& share = shares[static_cast<std::size_t>(k % count)];
    const std::size_t at = static_cast<std::size_t>(k / count) * (width + 1);
    draws.statistics.emplace_back(share.begin() + static_cast<std::ptrdiff_t>(at),
                                  share.begin() + static_cast<std::ptrdiff_t>(at + width));
    draws.nonzero.push_back(static_cast<std::int64_t>(share[at + width]));
    if (keep)
      draws.networks.push_back(
          kept[static_cast<std::size_t>(k % count)][static_cast<std::size_t>(k / count)]);
  }
  for (const ValuedChain& chain : chains_) {
    draws.proposals += chain.proposals;
    draws.accepted += chain.accepted;
  }
  return draws;
}

}  // namespace tarn
