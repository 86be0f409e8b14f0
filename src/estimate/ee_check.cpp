#include "estimate/ee_check.h"

#include <chrono>

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

}  // namespace

EeCheck check_ee_estimate(const Study& study, const Vector& estimate,
                          const SamplerSettings& settings, const McmleControl& control) {
  const auto began = std::chrono::steady_clock::now();
  EeCheck check;
  check.chains = std::max(1, settings.chains);
  check.interval = settings.interval;
  check.burnin = settings.burnin;
  const int p = static_cast<int>(estimate.size());
  check.observed = study.model.network_statistics(study.graph());
  ChainStates states;
  int networks = std::max(control.sample_size / 4 / check.chains, 2) * check.chains;
  for (int round = 0; round <= 3 && networks > 0; ++round) {
    if (!draw_more(study, estimate, settings, networks, round, states, check)) break;
    check.moments = sample_moments(check.sample, check.chains);
    McmleControl by_chains = control;
    by_chains.chains = check.chains;
    networks = networks_still_needed(check.moments, p, by_chains);
  }
  if (!check.capacity.found) {
    check.evidence = draw_evidence(check.links, study.network.link_count, study.dyad_count());
    // The estimate's own Monte Carlo error is taken as large as the sample mean's.
    const StepNoise own{mean_covariance(check.moments), smallest_effective_size(check.moments)};
    check.test = convergence_test(check.moments, check.observed, &own);
    check.check = simulation_check(check.moments, check.test, check.moments, control);
    check.jointly_reproduced = check.test.p_value >= control.hotelling_level;
    check.errors = mcmle_errors(check.moments);
  }
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
  return r;
}

}  // namespace tarn
