#include "estimate/pseudo_likelihood_estimator.h"

#include "estimate/dyad_sample.h"
#include "estimate/ee_estimator.h"
#include "estimate/sample_warnings.h"
#include "model/sample_space.h"
#include "network/setting_error.h"
#include "network/usage_error.h"
#include "simulate/simulation_errors.h"

namespace tarn {

namespace {

// The naive errors of a dyad-dependent model's pseudo-likelihood treat dependent dyads as
// independent observations: too small, as the R tool says of them too (figure: terms, the
// model's dependence terms).
std::vector<Warning> naive_errors_caveat(const Model& model) {
  std::string terms;
  for (int t = 0; t < model.term_count(); ++t) {
    const Term& term = *model.terms[std::size_t(t)];
    // An offset's coefficient has no error to be too small.
    if (!term.dyad_independent() && !model.offset_term(t)) {
      terms += (terms.empty() ? "" : ", ") + term.text();
    }
  }
  if (terms.empty()) return {};
  return {Warning{"naive_errors_suspect"}.add_text("terms", terms)};
}

Warning not_simulated(const std::string& method, const char* reason) {
  return Warning{"errors_not_simulated"}.add_text("method", method).add_text("reason", reason);
}

// Godambe or bootstrap errors from networks simulated at the estimate; the naive ones, with a
// warning that says why, when they cannot be had.
void simulate_errors(ErrorMethod method, const Study& study, const EstimatorSettings& settings,
                     const EstimatorProgress& progress, Estimate& e) {
  if (!e.start.usable()) {
    e.warnings.push_back(not_simulated(settings.errors, "no_estimate"));
    return;
  }
  SamplerSettings sampler = settings.sampling.settings(study);
  sampler.spread = settings.spread;
  const SimulationErrors result = simulation_errors(
      method, study, e.start.result, settings.replicates, sampler, progress.replicates);
  if (result.degenerate()) {
    std::vector<double> estimate;
    for (int p = 1; p <= study.model.parameter_count(); ++p) {
      estimate.push_back(e.start.result.estimate(p));
    }
    for (Warning& w : draw_warnings(result.sample, study.model, estimate, false)) {
      e.warnings.push_back(std::move(w));
    }
    e.warnings.push_back(not_simulated(settings.errors, "degenerate"));
    e.errors_failed = true;
  } else if (result.too_few_replicates) {
    e.warnings.push_back(not_simulated(settings.errors, "too_few_replicates")
                             .add_count("used", settings.replicates - result.failed_refits)
                             .add_count("replicates", settings.replicates));
  } else {
    e.errors = result.errors;
    for (Warning& w :
         autocorrelation_warnings(result.sample, study.model, sampler.chains, "errors")) {
      e.warnings.push_back(std::move(w));
    }
  }
}

}  // namespace

std::string pseudo_likelihood_outcome(const FitResult& r, bool estimate_exists) {
  if (!estimate_exists) return "estimate_does_not_exist";
  if (fit_converged(r)) return "converged";
  if (r.end == FitEnd::dependent) return "statistics_linearly_dependent";
  if (r.end == FitEnd::wxsq_singular) return "newton_inversion_failed";
  if (r.unbounded) return "estimates_unbounded";
  return r.too_many_iterations ? "pass_limit" : "final_inversion_failed";
}

ErrorMethod error_method_named(const std::string& name) {
  if (name == "naive") return ErrorMethod::naive;
  if (name == "godambe") return ErrorMethod::godambe;
  if (name == "bootstrap") return ErrorMethod::bootstrap;
  throw SettingError({"se"}, "{0=}" + name + ": give naive, godambe or bootstrap");
}

void check_pseudo_likelihood_settings(const EstimatorSettings& settings) {
  const ErrorMethod method = error_method_named(settings.errors);
  check_dyad_sample_settings(settings);
  if (method != ErrorMethod::naive && settings.replicates < 2) {
    throw SettingError({"replicates"},
                       "{0=}" + std::to_string(settings.replicates) + ": give 2 or more");
  }
}

namespace {

Estimate fit_over_free_dyads(const Study& study, const EstimatorSettings& settings,
                             const EstimatorProgress& progress) {
  const ErrorMethod method = error_method_named(settings.errors);
  if (method != ErrorMethod::naive) check_can_simulate(study);
  refuse_curved(study.model, "give {0=}mcmle", {"method"});
  const bool sampled = samples_dyads(study, settings);
  if (sampled && study.model.has_offsets()) {
    throw SettingError({"dyad_sample"},
                       "offset terms: the pseudo-likelihood of a sample of the dyads takes none; "
                       "leave out {0}");
  }
  Estimate e;
  if (sampled) {
    e = fit_by_dyad_sample(study, settings);
  } else {
    e.start = fit_and_check(study, settings.sampling.cancel);
    e.errors = naive_errors(e.start.result);
  }
  e.method = "mple";
  // As ergm does: the pseudo-likelihood fits the dyads one by one and cannot see degree bounds.
  if (study.space && study.space->dependent_dyads()) {
    e.warnings.push_back(
        Warning{"constraint_bounds_ignored"}.add_text("constraints", study.space->text));
  }
  e.result = e.start.result;
  e.estimate_exists = e.start.estimate_exists;
  e.converged = e.start.usable();
  e.warnings.insert(e.warnings.begin(), e.start.warnings.begin(), e.start.warnings.end());
  e.outcome = pseudo_likelihood_outcome(e.result, e.estimate_exists);
  e.pseudo_likelihood_figures = true;
  if (method != ErrorMethod::naive) {
    simulate_errors(method, study, settings, progress, e);
  } else if (e.converged) {
    for (Warning& w : naive_errors_caveat(study.model)) e.warnings.push_back(std::move(w));
  }
  // The pseudo-likelihood is the likelihood of a dyad-independent model (estimated only, from a
  // sample of the dyads); degree bounds make the dyads dependent.
  const bool bounded = study.space && study.space->dependent_dyads();
  if (study.model.dyad_independent() && e.converged && e.errors.sampling_percent.empty() &&
      !bounded) {
    e.log_likelihood = e.start.result.loglik;
  }
  return e;
}

}  // namespace

// With missing dyads the pseudo-likelihood runs over the observed dyads only (as ergm's MPLE):
// the missing ones are taken out of the free dyads, as a constraint would fix them.
Estimate fit_by_pseudo_likelihood(const Study& study, const EstimatorSettings& settings,
                                  const EstimatorProgress& progress) {
  if (study.missing_dyad_count() == 0) return fit_over_free_dyads(study, settings, progress);
  return fit_over_free_dyads(observed_dyads_study(study), settings, progress);
}

}  // namespace tarn
