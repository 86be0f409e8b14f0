#include "estimate/valued_ee_estimator.h"

#include <algorithm>
#include <chrono>

#include "ee/valued_equilibrium.h"
#include "network/setting_error.h"
#include "simulate/random_stream.h"
#include "valued/valued_sampler.h"

namespace tarn {

namespace {

double seconds_since(std::chrono::steady_clock::time_point began) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// The fit of the estimate the check accepted: its errors from the check's networks.
ValuedFit accepted_fit(ValuedFit fit, const EeCheck& check, const Vector& estimate) {
  fit.outcome = "converged";
  fit.stop_reason = "converged";
  fit.estimate = estimate;
  fit.covariance = check.errors.covariance;
  fit.mcmc_error_percent = check.errors.mcmc_error_percent;
  fit.final_test = check.test;
  fit.check = check.check;
  fit.final_networks = static_cast<int>(check.sample.size());
  return fit;
}

}  // namespace

EeCheck check_valued_estimate(const ValuedModel& model, const ValuedGraph& observed,
                              const ValuedProposal& proposal, const Vector& estimate,
                              const McmleControl& control, std::int64_t interval,
                              double estimate_draws,
                              const std::function<void(const EeCheckNews&)>& progress) {
  const auto began = std::chrono::steady_clock::now();
  EeCheck check;
  check.chains = std::max(1, control.chains);
  check.interval = interval;
  check.burnin = control.fresh_burnin_intervals * interval;
  check.observed = model.statistics(observed);
  // Apart from the streams (seed, task) of equilibrium expectation's tasks.
  ValuedChains chains(model, observed, proposal, check.chains, mix_seed(control.seed, 1),
                      control.threads);
  chains.set_cancel(control.cancel);
  draw_in_rounds(
      model.statistic_count(), observed.nonzero_count(), observed.dyad_count(), control,
      estimate_draws, progress,
      [&](int networks, int round) {
        ValuedDraws drawn =
            chains.draw(estimate, networks, round == 0 ? check.burnin : 0, interval);
        check.proposals = drawn.proposals;
        for (Vector& statistics : drawn.statistics) check.sample.push_back(std::move(statistics));
        check.links.insert(check.links.end(), drawn.nonzero.begin(), drawn.nonzero.end());
        return true;
      },
      check);
  check.errors = mcmle_errors(check.moments);
  check.seconds = seconds_since(began);
  return check;
}

ValuedEeFit fit_valued_by_equilibrium(const ValuedModel& model, const ValuedGraph& observed,
                                      const ValuedProposal& proposal, const McmleControl& control,
                                      EeSettings settings, const ValuedEeProgress& progress,
                                      const std::optional<Vector>& start) {
  if (!observed.missing().empty()) {
    throw SettingError({"missing", "method"},
                       "the network has " + std::to_string(observed.missing().size()) +
                           " missing dyads ({0} or values NA): equilibrium expectation does not "
                           "leave them out; give {1=}mcmle");
  }
  const auto began = std::chrono::steady_clock::now();
  ValuedEeFit out;
  const DyadIndependentValuedFit exact = fit_dyad_independent(model, observed);
  if (model.dyad_independent() || !exact.at_bound.empty()) {
    out.fit = fit_valued(model, observed, control, proposal, progress.iteration, start);
    return out;
  }
  settings.seed = control.seed;
  settings.threads = control.threads;
  settings.cancel = control.cancel;
  EeRecord record;
  record.settings = settings;
  record.start = start ? *start : valued_mcmc_start(model, observed, exact, control, proposal);
  record.result = valued_equilibrium_expectation(model, observed, proposal, record.start, settings,
                                                 progress.task);
  const EeResult& ee = record.result;
  std::int64_t interval = control.interval;
  if (interval <= 0) {
    interval = std::max<std::int64_t>(256, observed.dyad_count() / 4);
    if (ee.proposals_per_draw() > 0) {
      interval = std::min(interval, std::max<std::int64_t>(256, ee.proposals_per_draw() / 4));
    }
  }
  record.check = check_valued_estimate(model, observed, proposal, ee.estimate, control, interval,
                                       ee.effective_draws, progress.check);
  const EeCheck& check = *record.check;
  if (check.passed()) {
    ValuedFit fit;
    fit.observed = check.observed;
    fit.start = exact;
    fit.contrastive_start = record.start;
    fit.proposal = proposal.name();
    fit.proposals = ee.proposals + check.proposals;
    fit.accepted = ee.accepted;
    out.fit = accepted_fit(std::move(fit), check, ee.estimate);
    out.fit.seconds = seconds_since(began);
    out.fit.sampler_seconds = out.fit.seconds;
  } else {
    out.by_mcmle = true;
    out.fit = fit_valued(model, observed, control, proposal, progress.iteration, ee.estimate);
    out.fit.seconds = seconds_since(began);
  }
  out.record = std::move(record);
  return out;
}

ValuedEeFit fit_counts_by_mcmle(const CountsFit& f) {
  ValuedEeFit out;
  out.fit = fit_valued(f.model, f.observed, f.control, f.proposal, f.progress.iteration, f.start);
  return out;
}

ValuedEeFit fit_counts_by_equilibrium(const CountsFit& f) {
  return fit_valued_by_equilibrium(f.model, f.observed, f.proposal, f.control, f.ee, f.progress,
                                   f.start);
}

}  // namespace tarn
