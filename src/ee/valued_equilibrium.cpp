#include "ee/valued_equilibrium.h"

#include <algorithm>

#include "ee/ee_walk.h"
#include "valued/valued_sampler.h"

namespace tarn {

EeResult valued_equilibrium_expectation(const ValuedModel& model, const ValuedGraph& observed,
                                        const ValuedProposal& proposal, const Vector& start,
                                        const EeSettings& s, const EeProgress& progress) {
  const Vector observed_statistics = model.statistics(observed);
  const std::int64_t every =
      s.proposals_per_update > 0
          ? s.proposals_per_update
          : default_proposals_per_update(observed.node_count(), observed.nonzero_count());
  EeResult out = run_ee_tasks(s, start.size(), [&](int task) {
    ValuedChain chain{observed, observed_statistics,
                      RandomStream(s.seed, static_cast<std::uint64_t>(task)),
                      ReferenceWeights(model.reference)};
    std::vector<double> change(observed_statistics.size());
    const EeDrawSource source{[&](const Vector& theta) {
                                for (std::int64_t k = 0; k < every; ++k) {
                                  if ((k & 1023) == 0) stop_if_cancelled(s.cancel);
                                  valued_step(chain, model, proposal, theta, change);
                                }
                                return chain.statistics;
                              },
                              [] { return false; },
                              {},
                              {}};
    EeTaskNews news{.task = task, .tasks = std::max(1, s.tasks), .proposals_per_update = every};
    EeTaskResult r = walk_task(source, observed_statistics, start, s, news, progress);
    r.proposals = chain.proposals;
    r.accepted = chain.accepted;
    return r;
  });
  out.proposals_per_update = every;
  return out;
}

}  // namespace tarn
