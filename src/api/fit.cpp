#include <chrono>
#include <cmath>
#include <iomanip>
#include <optional>
#include <sstream>

#include "api/api_errors.h"
#include "api/model_data.h"
#include "api/records.h"
#include "api/task_spread_adapters.h"
#include "estimate/estimator_table.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "report/classic_report.h"
#include "report/fit_record.h"
#include "report/fit_screen.h"
#include "report/json_results.h"
#include "report/mcmle_diagnostics.h"
#include "report/tidy_csv.h"

namespace tarnwick {

namespace {

tarn::EstimatorSettings estimator_settings(const FitSettings& s) {
  tarn::EstimatorSettings settings;
  settings.errors = s.errors;
  settings.replicates = s.replicates;
  settings.mcmle.init = s.init_list.empty() ? tarn::comma_list(s.init) : s.init_list;
  settings.mcmle.sample_size = s.sample_size;
  settings.mcmle.max_iterations = s.max_iterations;
  const EquilibriumSettings& ee = s.equilibrium;
  settings.ee.tasks = ee.tasks;
  settings.ee.proposals_per_update = ee.proposals_per_update;
  settings.ee.scale_updates = ee.scale_updates;
  settings.ee.updates = ee.updates;
  settings.ee.effective_draws = ee.effective_draws;
  settings.ee.gain = ee.gain;
  settings.sampling = {s.burnin, s.interval, s.seed, s.threads, s.chains, s.dyad_sample};
  return settings;
}

IterationReport iteration_report(const tarn::McmleIteration& i) {
  return {i.number,   i.networks, i.step,   i.max_abs_t, i.p_value,
          i.interval, i.seconds,  i.filled, i.evidence,  i.final_sample};
}

std::string ee_task_line(const tarn::EeTaskNews& n) {
  std::ostringstream line;
  line << "equilibrium expectation, task " << n.task + 1 << " of " << n.tasks << ": ";
  if (n.ended) {
    line << "done";
  } else if (n.hold.updates > 0) {
    line << "the chain held " << (n.held_near_estimate ? "near the estimate" : "at the start")
         << " drew " << std::fixed << std::setprecision(1) << n.hold.effective_draws
         << " effective networks in " << n.hold.updates << " updates; " << std::setprecision(0)
         << tarn::hold_effective_draws << " wanted, holding it for " << n.hold.until;
  } else {
    if (n.proposals_per_update > 0) {
      line << "the chain forgets in " << std::fixed
           << std::setprecision(n.autocorrelation_updates >= 100.0 ? 0 : 1)
           << n.autocorrelation_updates
           << (n.autocorrelation_updates == 1.0 ? " update of " : " updates of ")
           << n.proposals_per_update << " proposals; ";
    } else {
      line << "exact draws; ";
    }
    line << n.settling_updates << " updates to settle, " << n.averaging_updates << " to average";
  }
  return line.str();
}

std::string ee_check_line(const tarn::EeCheckNews& n) {
  std::ostringstream line;
  line << "checking the estimate: ";
  if (n.drawn > 0) line << n.drawn << " networks drawn, ";
  line << n.drawing << (n.drawn > 0 ? " more" : " networks");
  if (n.interval > 0) {
    line << " from " << n.chains << (n.chains == 1 ? " chain " : " chains ") << n.interval
         << " proposals apart";
    if (n.burnin > 0) line << " after a burn-in of " << n.burnin;
  } else {
    line << ", drawn exactly";
  }
  return line.str();
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
    p.ee_task = [&progress](const tarn::EeTaskNews& n) { progress.phase(ee_task_line(n)); };
    p.ee_check = [&progress](const tarn::EeCheckNews& n) { progress.phase(ee_check_line(n)); };
  }
  return p;
}

// The public figures of an estimate, from the record its writers read.
Estimate public_estimate(const tarn::Estimate& e, const tarn::FitRecord& record,
                         const tarn::Model& model) {
  Estimate out;
  out.method = e.method;
  out.errors = e.errors.method;
  out.outcome = tarn::fit_outcome(record);
  out.converged = e.succeeded();
  out.names = model.coefficient_names();
  const int p = e.result.parameter_count;
  out.covariance.assign(std::size_t(p), std::vector<double>(std::size_t(p)));
  for (int a = 1; a <= p; ++a) {
    out.coefficients.push_back(e.result.estimate(a));
    out.std_errors.push_back(std::sqrt(e.errors.covariance(a, a)));
    for (int b = 1; b <= p; ++b) {
      out.covariance[std::size_t(a - 1)][std::size_t(b - 1)] = e.errors.covariance(a, b);
    }
  }
  out.log_likelihood = record.log_likelihood;
  out.aic = record.aic();
  out.bic = record.bic();
  out.iterations = e.mcmle ? e.mcmle->iterations : e.result.newton_passes;
  out.warnings = tarn::records_of(record.warnings, "fit");
  return out;
}

// The dialogue's output file: the names of the input files, then the report of a fit that
// completed.
std::string report_text(const Model::Data& model, const tarn::Estimate& e) {
  const tarn::StudyOptions& options = model.network.data().options;
  std::ostringstream file;
  tarn::write_input_file_line(tarn::InputFileRole::network, options.network_path, file);
  if (!options.attributes_path.empty()) {
    tarn::write_input_file_line(tarn::InputFileRole::attributes, options.attributes_path, file);
  }
  if (!options.covariate_path.empty()) {
    tarn::write_input_file_line(tarn::InputFileRole::comparative, options.covariate_path, file);
  }
  if (e.result.end == tarn::FitEnd::completed) {
    std::ostream nowhere(nullptr);
    tarn::write_report(*model.study.model.kernel, model.input.blocking, e.result, e.errors, nowhere,
                       file);
  }
  return file.str();
}

// The texts of the fit that the command line writes.
void write_texts(const Model::Data& model, const FitSettings& settings, const tarn::Estimate& e,
                 const tarn::FitRecord& record, Estimate& out) {
  const tarn::Study& study = model.study;
  std::ostringstream screen, json, csv, diagnostics;
  tarn::write_fit_screen(
      {model.network.data().options.network_path, &study.network, &study.model, &e.result,
       &e.errors, record.mcmle, record.log_likelihood, record.aic(), record.bic()},
      screen);
  tarn::write_fit_json(record, json);
  tarn::write_tidy_csv(record, csv);
  out.screen = screen.str();
  out.json = json.str();
  out.csv = csv.str();
  if (settings.report) out.report = report_text(model, e);
  if (!settings.diagnostics_file.empty() && record.mcmle != nullptr) {
    tarn::write_mcmle_diagnostics(*record.mcmle, study.model.coefficient_names(),
                                  settings.diagnostics_file, diagnostics);
    out.diagnostics = diagnostics.str();
  }
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
    const tarn::Estimator& estimator = tarn::estimator_named(s.method);
    estimator.check(estimator_settings(s));
    if (!estimator.by_mcmc) {
      if (!s.init.empty() || !s.init_list.empty()) {
        throw ArgumentError("--init is for --method mcmle or ee");
      }
      if (!s.diagnostics_file.empty()) {
        throw ArgumentError("--diagnostics is for --method mcmle or ee");
      }
    } else if (s.report) {
      throw ArgumentError(
          "--report writes the pseudo-likelihood report of the dialogue; give --json or --csv for "
          "--method " +
          s.method);
    }
  });
}

Estimate fit(const Model& model, const FitSettings& settings, const Progress& progress) {
  check_fit_settings(settings);
  if (settings.report && !model.configuration_types_only()) {
    throw ArgumentError(
        "--report writes the dialogue's report, of the sixteen configuration types only; give "
        "--json or --csv for this model");
  }
  return tarn::with_library_errors([&] {
    const auto began = std::chrono::steady_clock::now();
    const Model::Data& data = model.data();
    tarn::EstimatorSettings internal = estimator_settings(settings);
    std::optional<tarn::SpreadOfProcesses> spread;
    if (settings.processes != nullptr) internal.spread = &spread.emplace(*settings.processes);
    tarn::check_cancel(progress);
    const tarn::Estimator& estimator = tarn::estimator_named(settings.method);
    // The dialogue's report is of the dialogue's fit: its Newton passes as it runs them.
    tarn::Study study = data.study;
    if (settings.report) study.newton_until_settled = false;
    const tarn::Estimate e =
        estimator.fit(study, internal, estimator_progress(progress, settings.max_iterations));
    const tarn::FitRecord record =
        tarn::fit_record_of(e, data.study, data.input, data.network.data().options, data.formula);
    Estimate out = public_estimate(e, record, data.study.model);
    write_texts(data, settings, e, record, out);
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
