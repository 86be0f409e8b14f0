#include "ee/equilibrium_expectation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "simulate/chain.h"
#include "simulate/dyad_class_draws.h"
#include "simulate/dyad_draw.h"
#include "simulate/proposal.h"

namespace tarn {

namespace {

struct EeTaskResult {
  std::vector<double> mean;  // of the coefficients over the second half of the updates
  std::vector<double> scale;
  std::int64_t proposals = 0, accepted = 0;
  bool filled = false;
};

// A task's result as the doubles that pass between processes (the counts are below 2^53).
TaskResult encoded_result(const EeTaskResult& r) {
  TaskResult values{static_cast<double>(r.proposals), static_cast<double>(r.accepted),
                    r.filled ? 1.0 : 0.0};
  values.insert(values.end(), r.mean.begin(), r.mean.end());
  values.insert(values.end(), r.scale.begin(), r.scale.end());
  return values;
}

EeTaskResult decoded_result(const TaskResult& values, std::size_t coefficients) {
  ResultReader reader(values);
  EeTaskResult r;
  r.proposals = static_cast<std::int64_t>(reader.next());
  r.accepted = static_cast<std::int64_t>(reader.next());
  r.filled = reader.next() != 0.0;
  r.mean = reader.next(coefficients);
  r.scale = reader.next(coefficients);
  return r;
}

// The variance of each statistic over `updates` snapshots of the chain at `eta`.
std::vector<double> statistic_scale(Chain& chain, int updates, std::int64_t every, bool& filled) {
  const std::size_t p = chain.statistics().size();
  std::vector<double> sum(p, 0.0), square(p, 0.0);
  for (int u = 0; u < updates && !filled; ++u) {
    filled = chain.run(every) == Chain::Walk::filled;
    for (std::size_t k = 0; k < p; ++k) {
      sum[k] += chain.statistics()[k];
      square[k] += chain.statistics()[k] * chain.statistics()[k];
    }
  }
  std::vector<double> scale(p, 1.0);
  for (std::size_t k = 0; k < p && updates > 1; ++k) {
    const double mean = sum[k] / updates;
    const double variance = (square[k] - updates * mean * mean) / (updates - 1);
    if (variance > 1e-9 * std::max(1.0, mean * mean)) scale[k] = variance;
  }
  return scale;
}

EeTaskResult run_task(const Study& study, const TermGraph& observed,
                      const std::vector<double>& observed_statistics,
                      const std::vector<double>& start, const Proposal& proposal,
                      const EeSettings& s, std::int64_t every, int task) {
  EeTaskResult r;
  std::vector<double> theta = start;
  Chain chain(
      study.model, theta, observed, observed_statistics,
      RandomStream(s.seed, static_cast<std::uint64_t>(task)), proposal, study.include_diagonal,
      chain_link_capacity(study.node_count(), study.network.link_count, study.dyad_count()));
  r.scale = statistic_scale(chain, s.scale_updates, every, r.filled);
  const std::size_t p = theta.size();
  r.mean.assign(p, 0.0);
  const int kept_from = s.updates / 2;
  for (int u = 0; u < s.updates && !r.filled; ++u) {
    r.filled = chain.run(every) == Chain::Walk::filled;
    for (std::size_t k = 0; k < p; ++k) {
      theta[k] += s.gain * (observed_statistics[k] - chain.statistics()[k]) / r.scale[k];
    }
    chain.set_coefficients(theta);
    if (u >= kept_from) {
      for (std::size_t k = 0; k < p; ++k) r.mean[k] += theta[k];
    }
  }
  const double kept = s.updates - kept_from;
  for (double& v : r.mean) v /= kept;
  r.proposals = chain.proposals();
  r.accepted = chain.accepted();
  return r;
}

// The steps of a task, each against the statistics of one network drawn exactly at the current
// coefficients; the scale the exact variances at the start.
EeTaskResult run_exact_task(const DyadClassDraws& draws, const std::vector<double>& observed,
                            const std::vector<double>& start, const EeSettings& s, int task) {
  EeTaskResult r;
  std::vector<double> theta = start;
  const std::size_t p = theta.size();
  const Matrix covariance = draws.covariance(start);
  r.scale.assign(p, 1.0);
  for (std::size_t k = 0; k < p; ++k) {
    const double variance = covariance(int(k), int(k));
    if (variance > 1e-9 * std::max(1.0, observed[k] * observed[k])) r.scale[k] = variance;
  }
  RandomStream random(s.seed, static_cast<std::uint64_t>(task));
  r.mean.assign(p, 0.0);
  const int kept_from = s.updates / 2;
  for (int u = 0; u < s.updates; ++u) {
    const Vector statistics = draws.draw(theta, random);
    for (std::size_t k = 0; k < p; ++k) {
      theta[k] += s.gain * (observed[k] - statistics[k]) / r.scale[k];
    }
    if (u >= kept_from) {
      for (std::size_t k = 0; k < p; ++k) r.mean[k] += theta[k];
    }
  }
  for (double& v : r.mean) v /= s.updates - kept_from;
  return r;
}

}  // namespace

std::int64_t default_proposals_per_update(int nodes, std::int64_t links) {
  if (nodes <= max_nodes) return std::max<std::int64_t>(1024, links);
  return std::max<std::int64_t>(1024, links / 64);
}

EeResult equilibrium_expectation(const Study& study, const std::vector<double>& start,
                                 const EeSettings& s) {
  if (study.model.curved()) {
    throw std::invalid_argument("equilibrium expectation takes a linear model");
  }
  const TermGraph observed = study.graph();
  const std::vector<double> observed_statistics = study.model.network_statistics(observed);
  const std::int64_t every =
      s.proposals_per_update > 0
          ? s.proposals_per_update
          : default_proposals_per_update(study.node_count(), study.network.link_count);
  const TieNoTie proposal(
      DyadDraw::uniform(study.node_count(), study.directed(), study.include_diagonal),
      study.include_diagonal);
  const int tasks = std::max(1, s.tasks);
  const std::size_t p = start.size();
  const bool exact = draws_exactly(study, s.chains_up_to);
  const std::optional<DyadClassDraws> draws =
      exact ? std::optional<DyadClassDraws>(std::in_place, study) : std::nullopt;
  const std::vector<TaskResult> encoded = run_tasks(s.spread, tasks, s.threads, [&](int task) {
    return encoded_result(
        exact ? run_exact_task(*draws, observed_statistics, start, s, task)
              : run_task(study, observed, observed_statistics, start, proposal, s, every, task));
  });
  std::vector<EeTaskResult> results;
  for (const TaskResult& values : encoded) results.push_back(decoded_result(values, p));

  EeResult out;
  out.exact_draws = exact;
  out.estimate.assign(p, 0.0);
  out.task_spread.assign(p, std::numeric_limits<double>::quiet_NaN());
  out.scale = results.front().scale;
  for (const EeTaskResult& r : results) {
    out.task_estimates.push_back(r.mean);
    for (std::size_t k = 0; k < p; ++k) out.estimate[k] += r.mean[k] / tasks;
    out.proposals += r.proposals;
    out.accepted += r.accepted;
    out.filled = out.filled || r.filled;
  }
  if (tasks > 1) {
    for (std::size_t k = 0; k < p; ++k) {
      double square = 0.0;
      for (const EeTaskResult& r : results) square += std::pow(r.mean[k] - out.estimate[k], 2);
      out.task_spread[k] = std::sqrt(square / (tasks - 1) / tasks);
    }
  }
  return out;
}

}  // namespace tarn
