#include "cli/mcmle_fit.h"

#include <cstdio>

#include "cli/progress_bar.h"
#include "cli/sample_warnings.h"
#include "cli/usage_error.h"

namespace tarn {

void McmleOptions::add(CLI::App& command) {
  command.add_option("--init", init,
                     "With --method mcmle: the coefficients to start from, one per coefficient "
                     "(default: the pseudo-likelihood estimate)");
  command
      .add_option("--sample-size", sample_size,
                  "With --method mcmle: networks drawn per iteration (default 1024)")
      ->check(CLI::Range(64, 1000000));
  command
      .add_option("--max-iterations", max_iterations,
                  "With --method mcmle: iterations before it stops unconverged (default 60)")
      ->check(CLI::Range(1, 100000));
  command.add_option("--diagnostics", diagnostics_path,
                     "With --method mcmle: the last sample's traces, densities and convergence "
                     "figures as FILE.svg or FILE.html");
}

McmleFit fit_by_mcmle(const McmleOptions& o, const SamplingOptions& sampling, const Study& study,
                      const CheckedFit& mple, bool quiet, std::ostream& err) {
  McmleFit fit;
  const int p = study.model.coefficient_count();
  std::vector<double> start;
  McmleStart kind = McmleStart::pseudo_likelihood;
  if (!o.init.empty()) {
    start = coefficients_of(o.init, study.model, "--init");
    kind = McmleStart::given;
  } else if (mple.usable()) {
    // Of the linear model at the written decays when some term is curved.
    std::vector<double> estimate;
    for (int k = 1; k <= mple.result.parameter_count; ++k)
      estimate.push_back(mple.result.estimate(k));
    start = study.model.start_from_fixed(estimate);
  } else {
    // No pseudo-likelihood estimate to start from: the dyad-independent terms' one.
    const auto reference = dyad_independent_reference(study);
    start = reference ? reference->coefficients : std::vector<double>(std::size_t(p), 0.0);
    kind = McmleStart::dyad_independent;
    fit.warnings.push_back(Warning{"mcmle_start_without_mple"});
  }
  McmleSettings settings;
  const SamplerSettings sampler = sampling.settings(study);
  settings.sample_size = o.sample_size;
  settings.chains = sampler.chains;
  settings.threads = sampler.threads;
  settings.seed = sampler.seed;
  if (sampling.interval >= 0) settings.interval = sampling.interval;
  settings.max_iterations = o.max_iterations;
  const bool shown = !quiet && standard_error_is_terminal();
  const McmleProgress progress = [&err, shown](const McmleIteration& i) {
    if (!shown) return;
    char line[160];
    if (i.ran_away) {
      std::snprintf(line, sizeof line, "iteration %d: the networks ran away (%.1f s)\n", i.number,
                    i.seconds);
    } else {
      std::snprintf(line, sizeof line,
                    "iteration %d: step %.2f, largest |t| %.3f, Hotelling p %.3f, interval %lld "
                    "(%.1f s)\n",
                    i.number, i.step, i.max_abs_t, i.p_value, static_cast<long long>(i.interval),
                    i.seconds);
    }
    err << line << std::flush;
  };
  fit.result = std::make_unique<McmleResult>(fit_mcmle(study, start, kind, settings, progress));
  const McmleResult& r = *fit.result;
  fit.shown = mple.result;
  fit.shown.end = FitEnd::completed;
  fit.shown.parameter_count = p;
  for (int k = 1; k <= p; ++k) fit.shown.estimate(k) = r.estimate[std::size_t(k - 1)];
  fit.errors.method = "mcmle";
  fit.errors.covariance = r.end == McmleEnd::converged ? r.covariance : ParamMatrix{};
  if (r.end != McmleEnd::converged) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int a = 1; a <= p; ++a)
      for (int b = 1; b <= p; ++b) fit.errors.covariance(a, b) = nan;
  }
  fit.shown.covariance = fit.errors.covariance;
  if (r.start_runaway) {
    fit.warnings.push_back(Warning{"mcmle_start_moved"}
                               .add_count("toggles", r.start_runaway->toggles)
                               .add_count("links", r.start_runaway->links)
                               .add_count("observed_links", r.start_runaway->observed_links)
                               .add_number("share", r.start_share));
  }
  if (r.start_stuck) fit.warnings.push_back(Warning{"mcmle_start_stuck"});
  const TermGraph observed = study.graph();
  for (const TermPointer& term : study.model.terms) {
    if (const int beyond = term->beyond_cutoff(observed); beyond > 0) {
      fit.warnings.push_back(Warning{"curved_cutoff_passed"}
                                 .add_text("term", term->text())
                                 .add_count("beyond", beyond)
                                 .add_count("cutoff", term->statistic_count()));
    }
  }
  if (r.end != McmleEnd::converged) {
    for (int t = 0; t < study.model.term_count(); ++t) {
      const Term& term = *study.model.terms[static_cast<std::size_t>(t)];
      if (!term.curved()) continue;
      const double decay =
          r.estimate[static_cast<std::size_t>(study.model.first_coefficient(t) + 1)];
      char text[32];
      std::snprintf(text, sizeof text, "%.4g", decay);
      fit.warnings.push_back(
          Warning{"mcmle_decay_unsettled"}.add_text("term", term.text()).add_text("decay", text));
    }
  }
  switch (r.end) {
    case McmleEnd::converged:
      if (!r.log_likelihood) fit.warnings.push_back(Warning{"log_likelihood_not_bridged"});
      break;
    case McmleEnd::iteration_limit:
      fit.warnings.push_back(Warning{"mcmle_iteration_limit"}
                                 .add_count("iterations", r.iterations)
                                 .add_number("max_abs_t", r.final_test.max_abs_t)
                                 .add_number("p_value", r.final_test.p_value));
      break;
    case McmleEnd::degenerate:
      fit.warnings.push_back(
          degeneracy_warning(r.degeneracy, study.model, false).add_text("estimator", "mcmle"));
      break;
    case McmleEnd::no_progress:
      fit.warnings.push_back(Warning{"mcmle_no_progress"}.add_count("iterations", r.iterations));
      break;
  }
  return fit;
}

}  // namespace tarn
