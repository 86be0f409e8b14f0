#include "estimate/mcmle_estimator.h"

#include <cstdio>
#include <limits>

#include "estimate/dyad_sample.h"
#include "estimate/ee_estimator.h"
#include "estimate/estimate.h"
#include "estimate/mcmle_offsets.h"
#include "estimate/sample_warnings.h"
#include "model/sample_space.h"
#include "network/setting_error.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

ParamMatrix param_matrix_of(const Matrix& m) {
  ParamMatrix result(m.rows());
  for (int r = 0; r < m.rows(); ++r)
    for (int c = 0; c < m.cols(); ++c) result(r + 1, c + 1) = m(r, c);
  return result;
}

// The start, where it came from, and the estimator's settings.
struct StartPoint {
  std::vector<double> coefficients;
  McmleStart kind = McmleStart::pseudo_likelihood;
};

StartPoint start_point(const McmleSettings& o, const Study& study, const CheckedFit& mple,
                       std::vector<Warning>& warnings) {
  if (!o.init.empty()) return {coefficients_of(o.init, study.model, "--init"), McmleStart::given};
  if (!o.start.empty()) return {o.start, McmleStart::given};
  if (mple.usable()) {
    // Of the linear model at the written decays when some term is curved.
    std::vector<double> estimate;
    for (int k = 1; k <= mple.result.parameter_count; ++k)
      estimate.push_back(mple.result.estimate(k));
    return {study.model.start_from_fixed(estimate), McmleStart::pseudo_likelihood};
  }
  // No pseudo-likelihood estimate to start from: the dyad-independent terms' one.
  warnings.push_back(Warning{"mcmle_start_without_mple"});
  const auto reference = dyad_independent_reference(study);
  const int p = study.model.coefficient_count();
  return {reference ? reference->coefficients : std::vector<double>(std::size_t(p), 0.0),
          McmleStart::dyad_independent};
}

McmleControl control_of(const McmleSettings& o, const SamplingSettings& sampling,
                        const Study& study, const TaskSpread* spread) {
  McmleControl control;
  const SamplerSettings sampler = sampling.settings(study);
  control.sample_size = o.sample_size;
  control.chains = sampler.chains;
  control.threads = sampler.threads;
  control.spread = spread;
  control.cancel = sampler.cancel;
  control.seed = sampler.seed;
  if (sampling.interval >= 0) control.interval = sampling.interval;
  control.max_iterations = o.max_iterations;
  control.error_precision = o.error_precision;
  if (!o.bridge) control.bridges = 0;
  return control;
}

// The draws' figures (or the chain that filled the store) under `code`.
Warning evidence_or_capacity(const char* code, const McmleResult& r) {
  if (r.evidence) {
    Warning w = evidence_warning(code, *r.evidence);
    if (r.probes && r.probes->second_mode()) {
      const ModeProbe& probe = r.probes->empty.second_mode() ? r.probes->empty : r.probes->dense;
      w.add_text("probe_start", probe.from_empty ? "empty" : "denser")
          .add_count("probe_start_links", probe.start_links)
          .add_count("probe_filled", probe.filled ? 1 : 0)
          .add_number("probe_mean_links", probe.late_mean_links)
          .add_count("probe_least_links", probe.late_least_links)
          .add_count("probe_most_links", probe.late_most_links)
          .add_count("probe_toggles", r.probes->toggles / 2);
    }
    return w;
  }
  Warning w{code};
  w.add_text("kind", "link_capacity")
      .add_count("toggles", r.capacity.toggles)
      .add_count("links", r.capacity.links)
      .add_count("observed_links", r.capacity.observed_links)
      .add_count("capacity", r.capacity.capacity);
  return w;
}

void add_start_warnings(const McmleResult& r, std::vector<Warning>& warnings) {
  if (!r.start.moved) return;
  const StartMove& why = *r.start.moved;
  Warning w = why.reason == "link_capacity" ? why.capacity.warning()
                                            : evidence_warning("mcmle_start_moved", why.evidence);
  w.code = "mcmle_start_moved";
  w.add_text("reason", why.reason).add_number("share", r.start.share);
  warnings.push_back(w);
}

void add_end_warnings(const McmleResult& r, const Study& study, double error_precision,
                      std::vector<Warning>& warnings) {
  switch (r.end) {
    case McmleEnd::converged:
      if (r.stop_reason == "dyad_independent") {
        warnings.push_back(Warning{"mcmle_dyad_independent_exact"});
        return;
      }
      if (auto w = errors_precision_warning(r.final_moments, study.model.coefficient_count(),
                                            error_precision)) {
        warnings.push_back(*w);
      }
      if (!r.log_likelihood) {
        Warning w{"log_likelihood_not_bridged"};
        if (study.space && study.space->dependent_dyads()) {
          w.add_text("reason", "degree_bounds");
        }
        warnings.push_back(std::move(w));
      }
      return;
    case McmleEnd::not_converged: {
      Warning w = evidence_or_capacity("mcmle_not_converged", r);
      w.add_text("reason", r.stop_reason)
          .add_count("iterations", r.iterations)
          .add_count("best_iteration", r.best.iteration)
          .add_number("best_max_abs_t", r.best.max_abs_t);
      warnings.push_back(w);
      break;
    }
    case McmleEnd::degenerate: {
      Warning w = evidence_or_capacity("mcmle_degenerate", r);
      w.add_count("iterations", r.iterations)
          .add_count("best_iteration", r.best.iteration)
          .add_number("best_max_abs_t", r.best.max_abs_t);
      warnings.push_back(add_dependence_terms(w, study.model));
      break;
    }
  }
  for (int t = 0; t < study.model.term_count(); ++t) {
    const Term& term = *study.model.terms[static_cast<std::size_t>(t)];
    if (!term.curved() || term.decay_coefficient() < 0) continue;
    const double decay = r.estimate[static_cast<std::size_t>(study.model.first_coefficient(t) +
                                                             term.decay_coefficient())];
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", decay);
    warnings.push_back(
        Warning{"mcmle_decay_unsettled"}.add_text("term", term.text()).add_text("decay", text));
  }
}

}  // namespace

McmleFit fit_by_mcmle(const McmleSettings& o, const SamplingSettings& sampling, const Study& study,
                      const CheckedFit& mple, const McmleProgress& progress,
                      const TaskSpread* spread) {
  McmleFit fit;
  const int p = study.model.coefficient_count();
  const StartPoint start = start_point(o, study, mple, fit.warnings);
  const McmleControl control = control_of(o, sampling, study, spread);
  fit.result = std::make_shared<const McmleResult>(
      fit_mcmle(study, start.coefficients, start.kind, control, progress));
  const McmleResult& r = *fit.result;
  fit.shown = mple.result;
  fit.shown.end = FitEnd::completed;
  fit.shown.parameter_count = p;
  fit.shown.estimate = ParamVector(p);
  for (int k = 1; k <= p; ++k) fit.shown.estimate(k) = r.estimate[std::size_t(k - 1)];
  fit.errors.method = "mcmle";
  if (r.end == McmleEnd::converged) {
    fit.errors.covariance = param_matrix_of(r.covariance);
  } else {
    fit.errors.covariance = ParamMatrix(p);
    fit.errors.covariance.fill(std::numeric_limits<double>::quiet_NaN());
  }
  fit.shown.covariance = fit.errors.covariance;
  add_start_warnings(r, fit.warnings);
  const TermGraph observed = study.graph();
  for (const TermPointer& term : study.model.terms) {
    if (const int beyond = term->beyond_cutoff(observed); beyond > 0) {
      fit.warnings.push_back(Warning{"curved_cutoff_passed"}
                                 .add_text("term", term->text())
                                 .add_count("beyond", beyond)
                                 .add_count("cutoff", term->statistic_count()));
    }
  }
  add_end_warnings(r, study, o.error_precision, fit.warnings);
  return fit;
}

}  // namespace tarn

namespace tarn {

void check_mcmle_settings(const EstimatorSettings& settings) {
  if (settings.errors != "naive") {
    throw SettingError({"se"}, "{0=}" + settings.errors +
                                   ": maximum likelihood by MCMC gives its own standard errors "
                                   "(the inverse Fisher information); leave out {0}");
  }
  check_error_precision(settings.mcmle);
}

void check_error_precision(const McmleSettings& settings) {
  // Below a hundredth the final sample runs to tens of thousands of effective networks; above a
  // half the errors could be off by more than themselves.
  if (!(settings.error_precision >= 0.01 && settings.error_precision <= 0.5)) {
    throw SettingError({"error_precision"}, "{0} takes a share from 0.01 to 0.5");
  }
}

Estimate fit_by_mcmle(const Study& study, const EstimatorSettings& settings,
                      const EstimatorProgress& progress) {
  check_can_simulate(study);
  const bool missing = study.missing_dyad_count() > 0;
  if (study.model.has_offsets()) return fit_offsets_by_mcmle(study, settings, progress);
  const Model& model = study.model;
  Estimate e;
  e.method = "mcmle";
  // The start: the pseudo-likelihood over the observed dyads (a curved model's at its written
  // decays). The networks are drawn over every dyad, the missing ones too.
  std::optional<Study> observed_copy;
  const Study& observed = missing ? observed_copy.emplace(observed_dyads_study(study)) : study;
  e.start = model.curved()
                ? fit_and_check(observed.with_model(model.fixed_at(model.start_from_fixed({}))),
                                settings.sampling.cancel)
                : fit_and_check(observed, settings.sampling.cancel);
  McmleFit fit = fit_by_mcmle(settings.mcmle, settings.sampling, study, e.start, progress.iteration,
                              settings.spread);
  e.result = fit.shown;
  e.errors = fit.errors;
  // The pseudo-likelihood's own warnings belong to its estimate, which MCMLE only starts from.
  e.warnings = std::move(fit.warnings);
  e.converged = fit.converged();
  e.log_likelihood = fit.result->log_likelihood;
  e.mcmle = fit.result;
  e.outcome = fit.result->end == McmleEnd::converged       ? "converged"
              : fit.result->end == McmleEnd::not_converged ? "not_converged"
                                                           : "degenerate";
  e.mcmc_error_percent = fit.result->mcmc_error_percent;
  return e;
}

}  // namespace tarn
