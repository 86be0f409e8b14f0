#include "estimate/ee_estimator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "ee/equilibrium_expectation.h"
#include "estimate/dyad_sample.h"
#include "estimate/ee_check.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/sample_warnings.h"
#include "model/sample_space.h"
#include "network/capacity.h"
#include "network/setting_error.h"

namespace tarn {

namespace {

// The linear model's coefficients to start equilibrium expectation from, at the written decays
// of a curved model: --init's, or the pseudo-likelihood's.
std::vector<double> linear_start(const Study& linear, const Model& model,
                                 const EstimatorSettings& settings, const CheckedFit& mple) {
  if (!settings.mcmle.init.empty()) {
    if (model.curved()) {
      throw SettingError({"init", "method"},
                         "{0} with {1=}ee is for a model without curved terms (equilibrium "
                         "expectation moves the weights at the written decays); give {1=}mcmle to "
                         "start from a decay");
    }
    return coefficients_of(settings.mcmle.init, model, "--init");
  }
  std::vector<double> start;
  if (mple.usable()) {
    for (int k = 1; k <= mple.result.parameter_count; ++k) start.push_back(mple.result.estimate(k));
  } else {
    start.assign(static_cast<std::size_t>(linear.model.parameter_count()), 0.0);
  }
  return start;
}

// The pseudo-likelihood fit to start from: on a network too large for the sweep whose model the
// dyad classes cannot fit, that over the links and ergm's default sample of the empty dyads
// (estimate/dyad_sample.h), as `--method mple` fits it; otherwise the full one.
CheckedFit start_fit(const Study& linear, const EstimatorSettings& settings) {
  if (samples_dyads(linear, settings)) return fit_by_dyad_sample(linear, settings).start;
  return fit_and_check(linear, settings.sampling.cancel);
}

McmleControl check_control(const EstimatorSettings& settings, const SamplerSettings& sampler) {
  McmleControl control;
  control.sample_size = settings.mcmle.sample_size;
  control.error_precision = settings.mcmle.error_precision;
  control.chains = sampler.chains;
  control.threads = sampler.threads;
  control.spread = settings.spread;
  control.cancel = sampler.cancel;
  control.seed = sampler.seed;
  return control;
}

// The check's chains as MCMLE's first sample has them (14.1, 1 and 2) unless --interval or
// --burnin say otherwise: an interval of a quarter of the dyads (at least 256) where that is
// shorter than the sampler's, or a quarter of the proposals equilibrium expectation's chains took
// per effective draw where that is shorter still; a burn-in of 16 intervals from the observed
// network.
SamplerSettings check_sampler(const Study& study, const EstimatorSettings& settings,
                              const EeResult& ee, SamplerSettings sampler,
                              const McmleControl& control) {
  if (settings.sampling.interval < 0) {
    sampler.interval =
        std::min(sampler.interval, std::max<std::int64_t>(256, study.dyad_count() / 4));
    const std::int64_t measured = ee.proposals_per_draw();
    if (measured > 0) {
      sampler.interval = std::min(sampler.interval, std::max<std::int64_t>(256, measured / 4));
    }
  }
  if (settings.sampling.burnin < 0) {
    sampler.burnin = control.fresh_burnin_intervals * sampler.interval;
  }
  sampler.spread = settings.spread;
  return sampler;
}

// The estimate the check judged: converged with the check's errors when it passed; otherwise
// (a network too large for MCMC to go on from it) not converged, without errors.
Estimate checked_estimate(const Study& study, const CheckedFit& mple, const EeCheck& check,
                          const EeResult& ee, double ee_seconds,
                          std::shared_ptr<const EeRecord> record) {
  const std::vector<double>& estimate = ee.estimate;
  McmleResult r = checked_result(check, estimate, McmleStart::given);
  // The screen's sampler line: equilibrium expectation's chains and the check's.
  r.judged_estimate = "Equilibrium expectation";
  r.toggles += ee.proposals;
  r.seconds += ee_seconds;
  r.sampler_seconds += ee_seconds;
  Estimate e;
  e.method = "ee";
  e.start = mple;
  e.result = mple.result;
  e.result.end = FitEnd::completed;
  const int p = study.model.coefficient_count();
  e.result.parameter_count = p;
  e.result.estimate = ParamVector(p);
  for (int k = 1; k <= p; ++k) e.result.estimate(k) = estimate[std::size_t(k - 1)];
  e.errors.covariance = ParamMatrix(p);
  e.errors.method = "mcmle";
  e.converged = check.passed();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int a = 1; a <= p; ++a) {
    for (int b = 1; b <= p; ++b) {
      e.errors.covariance(a, b) = e.converged ? r.covariance(a - 1, b - 1) : nan;
    }
  }
  e.result.covariance = e.errors.covariance;
  if (!e.converged) {
    r.end = McmleEnd::not_converged;
    r.stop_reason = "ee_check";
    r.best.theta = estimate;
    r.best.max_abs_t = check.test.max_abs_t;
    r.best.distance = check.test.distance;
    e.warnings.push_back(
        Warning{"ee_check_failed"}.add_count("networks", std::int64_t(check.sample.size())));
  }
  e.outcome = e.converged ? "converged" : "not_converged";
  e.mcmc_error_percent = r.mcmc_error_percent;
  e.mcmle = std::make_shared<const McmleResult>(r);
  e.equilibrium = std::move(record);
  return e;
}

}  // namespace

void check_ee_settings(const EstimatorSettings& settings) {
  if (settings.errors != "naive") {
    throw SettingError({"se"}, "{0=}" + settings.errors +
                                   ": equilibrium expectation goes on to maximum likelihood by "
                                   "MCMC, which gives its own standard errors (the inverse Fisher "
                                   "information); leave out {0}");
  }
  const EeSettings& ee = settings.ee;
  if (ee.tasks < 1) throw SettingError({"ee.tasks"}, "{0} takes a whole number of at least 1");
  if (ee.effective_draws < 1) {
    throw SettingError({"ee.draws"}, "{0} takes a whole number of at least 1");
  }
  if (!(ee.gain > 0.0 && ee.gain <= 1.0)) {
    throw SettingError({"ee.gain"}, "{0} takes a share above 0 and at most 1");
  }
  check_error_precision(settings.mcmle);
}

Estimate fit_by_equilibrium_expectation(const Study& study, const EstimatorSettings& settings,
                                        const EstimatorProgress& progress) {
  check_can_simulate(study);
  if (study.missing_dyad_count() > 0) {
    throw SettingError({"missing", "method"},
                       "the network has " + std::to_string(study.missing_dyad_count()) +
                           " missing dyads ({0} or values NA): equilibrium expectation does not "
                           "leave them out; give {1=}mcmle (or mple)");
  }
  if (study.space && !study.space->text.empty()) {
    throw SettingError({"constraints", "method"},
                       "{0=}" + study.space->text +
                           ": equilibrium expectation does not keep to the constraints yet; give "
                           "{1=}mcmle (or mple)");
  }
  const Model& model = study.model;
  if (model.has_offsets()) refuse_curved(model, "leave out the offsets");
  // A curved model's equilibrium expectation is of its linear model at the written decays.
  const Study linear =
      model.curved() ? study.with_model(model.fixed_at(model.start_from_fixed({}))) : study;
  const CheckedFit mple = start_fit(linear, settings);
  std::vector<double> start = linear_start(linear, model, settings, mple);
  const std::vector<std::optional<double>> fixed = model.fixed_coefficients();
  for (std::size_t k = 0; k < start.size() && model.has_offsets(); ++k) {
    if (fixed[k]) start[k] = *fixed[k];
  }
  EeSettings ee_settings = settings.ee;
  const SamplerSettings sampler = settings.sampling.settings(study);
  ee_settings.seed = sampler.seed;
  ee_settings.threads = sampler.threads;
  ee_settings.spread = settings.spread;
  ee_settings.cancel = sampler.cancel;
  const auto began = std::chrono::steady_clock::now();
  const EeResult ee = equilibrium_expectation(linear, start, ee_settings, progress.ee_task);
  const double ee_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  auto record = std::make_shared<EeRecord>();
  record->settings = ee_settings;
  record->start = start;

  // A linear model's estimate is judged by networks drawn at it: accepted when they reproduce
  // the observed statistics, their covariance giving the errors. A dyad-independent model goes
  // on to its exact estimate, the check kept for comparison; a curved one to MCMC for its decays.
  // With offsets (held by the steps) maximum likelihood by MCMC judges the estimate, over the
  // free coefficients, as it does a curved model's.
  std::optional<EeCheck> check;
  if (!model.curved() && !model.has_offsets() && !ee.filled) {
    const McmleControl control = check_control(settings, sampler);
    check =
        check_ee_estimate(study, ee.estimate, check_sampler(study, settings, ee, sampler, control),
                          control, ee_settings.chains_up_to, ee.effective_draws, progress.ee_check);
    record->check = check;
  }
  record->result = ee;
  const bool exact = !model.curved() && model.dyad_independent();
  if (check && !exact && (check->passed() || study.node_count() > max_nodes)) {
    Estimate e = checked_estimate(study, mple, *check, ee, ee_seconds, std::move(record));
    if (e.converged) {
      if (auto w = errors_precision_warning(check->moments, model.coefficient_count(),
                                            settings.mcmle.error_precision)) {
        e.warnings.push_back(*w);
      }
    }
    return e;
  }

  EstimatorSettings next = settings;
  next.mcmle.init.clear();
  if (!ee.filled) {
    next.mcmle.start = model.curved() ? model.start_from_fixed(ee.estimate) : ee.estimate;
  }
  Estimate e = fit_by_mcmle(study, next, progress);
  e.method = "ee";
  e.start = mple;
  e.equilibrium = std::move(record);
  if (ee.filled) e.warnings.insert(e.warnings.begin(), Warning{"ee_link_capacity_reached"});
  return e;
}

}  // namespace tarn
