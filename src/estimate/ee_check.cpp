#include "estimate/ee_check.h"

#include <chrono>
#include <optional>

#include "simulate/dyad_class_draws.h"
#include "simulate/random_stream.h"

namespace tarn {

namespace {

// Appends `networks` more networks from the chains where they stopped (one interval on after
// the first draw, the chains' numbers from a stream of their own for each round): the sample
// grows as one longer run of each chain.
bool draw_more(const Study& study, const Vector& estimate, SamplerSettings settings, int networks,
               int round, ChainStates& states, EeCheck& check) {
  if (round > 0) {
    settings.burnin = settings.interval;
    settings.seed = mix_seed(settings.seed, static_cast<std::uint64_t>(round));
  }
  SampleSummary drawn =
      sample_networks(study, estimate, networks, settings, {}, nullptr, tie_no_tie_ratio, &states);
  check.proposals += drawn.proposals;
  if (drawn.capacity_stop.found) {
    check.capacity = drawn.capacity_stop;
    return false;
  }
  // Network k of a draw is network k / chains of chain k % chains: appended draw after draw,
  // the chain of network k stays k % chains.
  for (std::vector<double>& statistics : drawn.statistics) {
    check.sample.push_back(std::move(statistics));
  }
  check.links.insert(check.links.end(), drawn.links.begin(), drawn.links.end());
  return true;
}

// Appends `networks` independent networks drawn exactly, network k of the sample from its own
// stream.
void draw_exactly(const DyadClassDraws& draws, const Vector& estimate, std::uint64_t seed,
                  int networks, EeCheck& check) {
  // Apart from the streams (seed, task) of equilibrium expectation's tasks.
  const std::uint64_t own_seed = mix_seed(seed, 1);
  for (int k = 0; k < networks; ++k) {
    RandomStream random(own_seed, check.sample.size());
    std::int64_t links = 0;
    check.sample.push_back(draws.draw(estimate, random, &links));
    check.links.push_back(links);
  }
}

// The verdict on the sample so far: one by one, jointly, and neither piling up nor splitting.
void judge_check_sample(std::int64_t observed_links, std::int64_t dyads,
                        const McmleControl& control, double estimate_draws, EeCheck& check) {
  check.evidence = draw_evidence(check.links, observed_links, dyads);
  // The estimate's own Monte Carlo error: that of a mean of `estimate_draws` effective draws
  // (in the statistics, the covariance over them), or as large as the sample mean's.
  SampleMoments own_moments = check.moments;
  StepNoise own{mean_covariance(check.moments), smallest_effective_size(check.moments)};
  if (estimate_draws > 0.0) {
    own = StepNoise{scaled(check.moments.covariance, 1.0 / estimate_draws), estimate_draws};
    own_moments.effective_size.assign(own_moments.effective_size.size(), estimate_draws);
  }
  check.test = convergence_test(check.moments, check.observed, &own);
  check.check = simulation_check(check.moments, check.test, own_moments, control);
  check.jointly_reproduced = check.test.p_value >= control.hotelling_level;
}

}  // namespace

void draw_in_rounds(int coefficients, std::int64_t observed_links, std::int64_t dyads,
                    const McmleControl& control, double estimate_draws,
                    const std::function<void(const EeCheckNews&)>& progress,
                    const std::function<bool(int networks, int round)>& draw, EeCheck& check) {
  const int chains_sample = std::max(control.sample_size / check.chains, 2) * check.chains;
  // Chains draw a quarter first: an estimate that fails with those is not worth the rest.
  int networks = check.exact_draws ? std::max(control.sample_size, 2)
                                   : std::max(chains_sample / 4 / check.chains, 2) * check.chains;
  McmleControl by_chains = control;
  by_chains.chains = check.chains;
  for (int round = 0; round <= 3 && networks > 0; ++round) {
    if (progress) {
      progress({round, std::int64_t(check.sample.size()), networks, check.chains, check.interval,
                round == 0 ? check.burnin : 0});
    }
    if (!draw(networks, round)) break;
    check.moments = sample_moments(check.sample, check.chains);
    judge_check_sample(observed_links, dyads, control, estimate_draws, check);
    if (!check.passed()) break;
    networks = std::max(networks_still_needed(check.moments, coefficients, by_chains),
                        chains_sample - static_cast<int>(check.sample.size()));
  }
}

EeCheck check_ee_estimate(const Study& study, const Vector& estimate,
                          const SamplerSettings& settings, const McmleControl& control,
                          int chains_up_to, double estimate_draws,
                          const std::function<void(const EeCheckNews&)>& progress) {
  const auto began = std::chrono::steady_clock::now();
  EeCheck check;
  check.exact_draws = draws_exactly(study, chains_up_to);
  check.chains = check.exact_draws ? 1 : std::max(1, settings.chains);
  check.interval = check.exact_draws ? 0 : settings.interval;
  check.burnin = check.exact_draws ? 0 : settings.burnin;
  const int p = static_cast<int>(estimate.size());
  check.observed = study.statistics();
  const std::optional<DyadClassDraws> draws =
      check.exact_draws ? std::optional<DyadClassDraws>(std::in_place, study) : std::nullopt;
  ChainStates states;
  draw_in_rounds(
      p, study.network.link_count, study.dyad_count(), control, estimate_draws, progress,
      [&](int networks, int round) {
        if (draws) {
          draw_exactly(*draws, estimate, settings.seed, networks, check);
          return true;
        }
        return draw_more(study, estimate, settings, networks, round, states, check);
      },
      check);
  if (!check.capacity.found) check.errors = mcmle_errors(check.moments);
  check.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return check;
}

McmleResult checked_result(const EeCheck& check, const Vector& estimate, McmleStart kind) {
  McmleResult r;
  r.end = McmleEnd::converged;
  r.stop_reason = "converged";
  r.start.kind = kind;
  r.start.first = estimate;
  r.estimate = estimate;
  r.covariance = check.errors.covariance;
  r.fisher_inverse = check.errors.fisher_inverse;
  r.mcmc_error_percent = check.errors.mcmc_error_percent;
  r.observed = check.observed;
  r.final_test = check.test;
  r.final_moments = check.moments;
  r.final_sample = check.sample;
  r.final_chains = check.chains;
  r.check = check.check;
  r.seconds = check.seconds;
  r.sampler_seconds = check.seconds;
  r.toggles = check.proposals;
  return r;
}

}  // namespace tarn
