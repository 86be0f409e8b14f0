#include <chrono>
#include <cmath>
#include <optional>

#include "api/api_errors.h"
#include "api/ee_settings.h"
#include "api/estimate_numbers.h"
#include "api/model_data.h"
#include "api/progress_lines.h"
#include "api/records.h"
#include "api/task_spread_adapters.h"
#include "api/valued_model.h"
#include "estimate/estimator_table.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "estimate/sampling_settings.h"
#include "model/sample_space.h"

namespace tarnwick {

namespace {

tarn::EstimatorSettings estimator_settings(const FitSettings& s) {
  tarn::EstimatorSettings settings;
  settings.errors = s.errors;
  settings.replicates = s.replicates;
  settings.mcmle.init = s.init_list.empty() ? tarn::comma_list(s.init) : s.init_list;
  settings.mcmle.sample_size = s.sample_size;
  settings.mcmle.max_iterations = s.max_iterations;
  settings.mcmle.error_precision = s.error_precision;
  settings.ee = tarn::ee_settings_of(s.equilibrium);
  settings.sampling = {s.burnin, s.interval, s.seed, s.threads, s.chains, s.dyad_sample};
  return settings;
}

IterationReport iteration_report(const tarn::McmleIteration& i) {
  return {i.number,  i.networks, i.step,     i.max_abs_t,    i.p_value,        i.interval,
          i.seconds, i.filled,   i.evidence, i.final_sample, i.effective_size, i.toggles};
}

tarn::EstimatorProgress estimator_progress(const Progress& progress, int max_iterations) {
  tarn::EstimatorProgress p;
  p.iteration = [&progress, max_iterations](const tarn::McmleIteration& i) {
    tarn::check_cancel(progress);
    if (progress.report) progress.report(i.number, max_iterations, "mcmle iteration");
    if (progress.iteration) progress.iteration(iteration_report(i));
  };
  p.replicates = progress.counter;
  if (progress.phase) {
    p.ee_task = [&progress](const tarn::EeTaskNews& n) { progress.phase(tarn::ee_task_line(n)); };
    p.ee_check = [&progress](const tarn::EeCheckNews& n) {
      progress.phase(tarn::ee_check_line(n));
    };
  }
  return p;
}

}  // namespace

std::vector<EstimatorInfo> estimators() {
  std::vector<EstimatorInfo> list;
  for (const tarn::Estimator& e : tarn::estimator_table()) {
    list.push_back({std::string(e.name), std::string(e.description), e.by_mcmc});
  }
  return list;
}

void check_fit_settings(const FitSettings& s) {
  tarn::with_library_errors([&] {
    tarn::error_method_named(s.errors);
    tarn::check_estimator_settings(tarn::estimator_named(s.method), estimator_settings(s));
  });
}

Estimate fit(const Model& model, const FitSettings& settings, const Progress& progress) {
  check_fit_settings(settings);
  return tarn::with_library_errors([&] {
    const auto began = std::chrono::steady_clock::now();
    const Model::Data& data = model.data();
    if (data.valued) return tarn::valued_fit(data, settings, progress);
    tarn::EstimatorSettings internal = estimator_settings(settings);
    std::optional<tarn::SpreadOfProcesses> spread;
    if (settings.processes != nullptr) internal.spread = &spread.emplace(*settings.processes);
    internal.sampling.cancel = progress.cancel;
    tarn::check_cancel(progress);
    const tarn::Estimator& estimator = tarn::estimator_named(settings.method);
    tarn::Study study = data.study;
    if (!settings.constraints.empty()) {
      study.space = std::make_shared<const tarn::SampleSpace>(
          tarn::build_sample_space(settings.constraints, study.graph(), data.input.covariates,
                                   &data.input.labels, &data.input.missing_dyads));
      tarn::refuse_constant_terms(study.model, study.graph(), *study.space);
    }
    study.model =
        tarn::model_with_offsets(study.model, settings.offset_coef, settings.offset_coef_list);
    if (settings.dialogue_passes) study.newton_until_settled = false;
    const tarn::Estimate e =
        estimator.fit(study, internal, estimator_progress(progress, settings.max_iterations));
    Estimate out = tarn::estimate_numbers(e, data);
    out.constraints = settings.constraints;
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return out;
  });
}

Estimate fit(const Network& network, const std::string& formula, const FitSettings& settings,
             const Progress& progress) {
  check_fit_settings(settings);
  return fit(build_model(network, formula), settings, progress);
}

}  // namespace tarnwick
