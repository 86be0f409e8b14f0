#include "ee/equilibrium_expectation.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>

#include "ee/ee_walk.h"
#include "simulate/chain.h"
#include "simulate/dyad_class_draws.h"
#include "simulate/dyad_draw.h"
#include "simulate/proposal.h"
#include "simulate/space_proposal.h"

namespace tarn {

namespace {

HeldStatistics held_statistics(const Model& model) {
  HeldStatistics held;
  if (!model.has_offsets()) return held;
  for (const std::optional<double>& fixed : model.fixed_coefficients())
    held.push_back(fixed ? 1 : 0);
  return held;
}

EeTaskResult run_chain_task(const Study& study, const TermGraph& observed,
                            const Vector& observed_statistics, const Vector& start,
                            const Proposal& proposal, const EeSettings& s, std::int64_t every,
                            int task, const EeProgress& progress) {
  Chain chain(
      study.model, start, observed, observed_statistics,
      RandomStream(s.seed, static_cast<std::uint64_t>(task)), proposal, study.include_diagonal,
      chain_link_capacity(study.node_count(), study.network.link_count, study.dyad_count()));
  bool filled = false;
  const EeDrawSource source{[&](const Vector& theta) {
                              stop_if_cancelled(s.cancel);
                              chain.set_coefficients(theta);
                              filled = filled || chain.run(every) == Chain::Walk::filled;
                              return chain.statistics();
                            },
                            [&] { return filled; },
                            {},
                            held_statistics(study.model)};
  EeTaskNews news{.task = task, .tasks = std::max(1, s.tasks), .proposals_per_update = every};
  EeTaskResult r = walk_task(source, observed_statistics, start, s, news, progress);
  r.proposals = chain.proposals();
  r.accepted = chain.accepted();
  return r;
}

EeTaskResult run_exact_task(const DyadClassDraws& draws, const Vector& observed,
                            const HeldStatistics& held, const Vector& start, const EeSettings& s,
                            int task, const EeProgress& progress) {
  RandomStream random(s.seed, static_cast<std::uint64_t>(task));
  const EeDrawSource source{
      [&](const Vector& theta) {
        stop_if_cancelled(s.cancel);
        return draws.draw(theta, random);
      },
      [] { return false; },
      [&](const Vector& theta) { return exact_spread(draws.covariance(theta), observed, held); },
      held};
  return walk_task(source, observed, start, s, {.task = task, .tasks = std::max(1, s.tasks)},
                   progress);
}

}  // namespace

std::int64_t EeResult::proposals_per_draw() const {
  if (exact_draws) return 0;
  return static_cast<std::int64_t>(
      std::ceil(autocorrelation_updates * static_cast<double>(proposals_per_update)));
}

std::int64_t default_proposals_per_update(int nodes, std::int64_t links) {
  if (nodes <= max_nodes) return std::max<std::int64_t>(1024, links);
  return std::max<std::int64_t>(1024, links / 64);
}

EeResult equilibrium_expectation(const Study& study, const std::vector<double>& start,
                                 const EeSettings& s, const EeProgress& progress) {
  if (study.model.curved()) {
    throw std::invalid_argument("equilibrium expectation takes a linear model");
  }
  const TermGraph observed = study.graph();
  const Vector observed_statistics = study.model.network_statistics(observed);
  const std::int64_t every =
      s.proposals_per_update > 0
          ? s.proposals_per_update
          : default_proposals_per_update(study.node_count(), study.network.link_count);
  const std::size_t p = start.size();
  const bool exact = draws_exactly(study, s.chains_up_to);
  const std::optional<DyadClassDraws> draws =
      exact ? std::optional<DyadClassDraws>(std::in_place, study) : std::nullopt;
  // The chains' dyads weighted by the dyad-independent terms at the start, as MCMLE's are: a
  // homophily model's ties within groups are proposed about as often as they come.
  const std::optional<TieNoTie> proposal =
      exact ? std::nullopt
            : std::optional<TieNoTie>(std::in_place, DyadDraw::for_model(study, start),
                                      study.include_diagonal);
  // A two-mode network's chains propose the dyads between the modes only, as the sampler's do.
  const std::optional<SpaceProposal> kept =
      proposal && study.space ? std::optional<SpaceProposal>(std::in_place, *study.space, *proposal)
                              : std::nullopt;
  EeResult out = run_ee_tasks(s, p, [&](int task) {
    return exact ? run_exact_task(*draws, observed_statistics, held_statistics(study.model), start,
                                  s, task, progress)
                 : run_chain_task(study, observed, observed_statistics, start,
                                  kept ? static_cast<const Proposal&>(*kept) : *proposal, s, every,
                                  task, progress);
  });
  // A held coefficient's mean over the updates is its value up to rounding: its value itself.
  const HeldStatistics held = held_statistics(study.model);
  for (std::size_t k = 0; k < held.size(); ++k) {
    if (!held[k]) continue;
    out.estimate[k] = start[k];
    out.task_spread[k] = 0.0;
    for (std::vector<double>& task : out.task_estimates) task[k] = start[k];
  }
  out.exact_draws = exact;
  out.proposals_per_update = exact ? 0 : every;
  return out;
}

}  // namespace tarn
