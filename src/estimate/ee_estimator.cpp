#include "estimate/ee_estimator.h"

#include <cmath>

#include "ee/equilibrium_expectation.h"
#include "estimate/dyad_sample.h"
#include "estimate/mcmle_details.h"
#include "estimate/mcmle_estimator.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

using json = nlohmann::ordered_json;

json numbers(const std::vector<double>& values) {
  json list = json::array();
  for (const double v : values) list.push_back(std::isfinite(v) ? json(v) : json(nullptr));
  return list;
}

json ee_details(const EeResult& ee, const EeSettings& s, const std::vector<double>& start) {
  json tasks = json::array();
  for (const auto& estimate : ee.task_estimates) tasks.push_back(numbers(estimate));
  return {{"tasks", s.tasks},
          {"updates", s.updates},
          {"scale_updates", s.scale_updates},
          {"gain", s.gain},
          {"start", numbers(start)},
          {"estimate", numbers(ee.estimate)},
          {"task_spread", numbers(ee.task_spread)},
          {"task_estimates", tasks},
          {"proposals", ee.proposals},
          {"accepted", ee.accepted},
          {"filled", ee.filled}};
}

// The linear model's coefficients to start equilibrium expectation from, at the written decays
// of a curved model: --init's, or the pseudo-likelihood's.
std::vector<double> linear_start(const Study& linear, const Model& model,
                                 const EstimatorSettings& settings, const CheckedFit& mple) {
  if (!settings.mcmle.init.empty()) {
    if (model.curved()) {
      throw UsageError(
          "--init with --method ee is for a model without curved terms (equilibrium expectation "
          "moves the weights at the written decays); give --method mcmle to start from a decay");
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

}  // namespace

void check_ee_settings(const EstimatorSettings& settings) {
  refuse_dyad_sample(settings);
  if (settings.errors != "naive") {
    throw UsageError("--se " + settings.errors +
                     ": equilibrium expectation goes on to maximum likelihood by MCMC, which "
                     "gives its own standard errors (the inverse Fisher information); leave out "
                     "--se");
  }
}

Estimate fit_by_equilibrium_expectation(const Study& study, const EstimatorSettings& settings,
                                        const EstimatorProgress& progress) {
  check_can_simulate(study);
  const Model& model = study.model;
  // A curved model's equilibrium expectation is of its linear model at the written decays.
  const Study linear =
      model.curved() ? study.with_model(model.fixed_at(model.start_from_fixed({}))) : study;
  const CheckedFit mple = fit_and_check(linear);
  const std::vector<double> start = linear_start(linear, model, settings, mple);
  EeSettings ee_settings = settings.ee;
  const SamplerSettings sampler = settings.sampling.settings(study);
  ee_settings.seed = sampler.seed;
  ee_settings.threads = sampler.threads;
  const EeResult ee = equilibrium_expectation(linear, start, ee_settings);

  EstimatorSettings next = settings;
  next.mcmle.init.clear();
  if (!ee.filled) {
    next.mcmle.start = model.curved() ? model.start_from_fixed(ee.estimate) : ee.estimate;
  }
  Estimate e = fit_by_mcmle(study, next, progress);
  e.method = "ee";
  e.start = mple;
  json details = {{"equilibrium_expectation", ee_details(ee, ee_settings, start)}};
  details["mcmle"] = e.details;
  e.details = details;
  if (ee.filled) e.warnings.insert(e.warnings.begin(), Warning{"ee_link_capacity_reached"});
  return e;
}

}  // namespace tarn
