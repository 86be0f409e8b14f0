#include "cli/fit_command.h"

#include <optional>
#include <sstream>

#include "cli/checked_fit.h"
#include "cli/data_options.h"
#include "cli/exit_status.h"
#include "cli/model_option.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "cli/sample_warnings.h"
#include "cli/usage_error.h"
#include "cli/warning_text.h"
#include "fit/pseudo_likelihood.h"
#include "model/model_terms.h"
#include "report/classic_report.h"
#include "report/fit_screen.h"
#include "report/json_results.h"
#include "report/mcmle_diagnostics.h"
#include "report/tidy_csv.h"
#include "simulate/simulation_errors.h"

namespace tarn {

namespace {

ErrorMethod error_method(const std::string& name) {
  if (name == "naive") return ErrorMethod::naive;
  if (name == "godambe") return ErrorMethod::godambe;
  if (name == "bootstrap") return ErrorMethod::bootstrap;
  throw UsageError("--se " + name + ": give naive, godambe or bootstrap");
}

// The head lines of the dialogue's output file: the names of the input files.
void write_report_head(const FitCommandOptions& o, std::ostream& file) {
  write_input_file_line(InputFileRole::network, o.study.network_path, file);
  if (!o.study.attributes_path.empty()) {
    write_input_file_line(InputFileRole::attributes, o.study.attributes_path, file);
  }
  if (!o.study.covariate_path.empty()) {
    write_input_file_line(InputFileRole::comparative, o.study.covariate_path, file);
  }
}

// The errors given and what the user is told about them.
struct GivenErrors {
  ParameterErrors errors;
  std::vector<Warning> warnings;
  bool degenerate = false;  // the simulated networks turned degenerate
};

// What every method of errors may use.
struct ErrorInputs {
  const FitCommandOptions& options;
  const Study& study;
  const Model& model;
  const CheckedFit& fit;
  std::ostream& err;
};

GivenErrors naive(const ErrorInputs& in) {
  return {naive_errors(in.fit.result), {}, false};
}

// The naive errors of a dyad-dependent model's pseudo-likelihood treat dependent dyads as
// independent observations: too small, as the R tool says of them too (figure: terms, the
// model's dependence terms).
std::vector<Warning> naive_errors_caveat(const Model& model) {
  std::string terms;
  for (const TermPointer& term : model.terms) {
    if (!term->dyad_independent()) terms += (terms.empty() ? "" : ", ") + term->text();
  }
  if (terms.empty()) return {};
  return {Warning{"naive_errors_suspect"}.add_text("terms", terms)};
}

// Godambe or bootstrap errors from networks simulated at the estimate; the naive ones, with a
// warning that says why, when they cannot be had.
GivenErrors simulated(ErrorMethod method, const char* progress, const ErrorInputs& in) {
  const FitCommandOptions& o = in.options;
  GivenErrors given = naive(in);
  if (!in.fit.usable()) {
    given.warnings.push_back(Warning{"errors_not_simulated"}
                                 .add_text("method", o.errors)
                                 .add_text("reason", "no_estimate"));
    return given;
  }
  const SamplerSettings settings = o.sampling.settings(in.study);
  SimulationErrors result;
  {
    ProgressBar bar(in.err, progress, o.replicates, !o.quiet && standard_error_is_terminal());
    result =
        simulation_errors(method, in.study, in.fit.result, o.replicates, settings, &bar.counter());
  }
  if (result.degenerate()) {
    std::vector<double> estimate;
    for (int p = 1; p <= in.model.parameter_count(); ++p) {
      estimate.push_back(in.fit.result.estimate(p));
    }
    given.warnings = draw_warnings(result.sample, in.model, estimate, false);
    given.warnings.push_back(Warning{"errors_not_simulated"}
                                 .add_text("method", o.errors)
                                 .add_text("reason", "degenerate"));
    given.degenerate = true;
  } else if (result.too_few_replicates) {
    given.warnings.push_back(Warning{"errors_not_simulated"}
                                 .add_text("method", o.errors)
                                 .add_text("reason", "too_few_replicates")
                                 .add_count("used", o.replicates - result.failed_refits)
                                 .add_count("replicates", o.replicates));
  } else {
    given.errors = result.errors;
    given.warnings = autocorrelation_warnings(result.sample, in.model, settings.chains, "errors");
  }
  return given;
}

GivenErrors godambe(const ErrorInputs& in) {
  return simulated(ErrorMethod::godambe, "simulating networks", in);
}

GivenErrors bootstrap(const ErrorInputs& in) {
  return simulated(ErrorMethod::bootstrap, "simulating and refitting networks", in);
}

GivenErrors errors_of(ErrorMethod method, const ErrorInputs& in) {
  switch (method) {
    case ErrorMethod::godambe:
      return godambe(in);
    case ErrorMethod::bootstrap:
      return bootstrap(in);
    case ErrorMethod::naive:
      break;
  }
  return naive(in);
}

// Refuses what maximum likelihood by MCMC does not take, and its options without it.
void check_method(const FitCommandOptions& o, ErrorMethod errors) {
  if (o.method != "mple" && o.method != "mcmle") {
    throw UsageError("--method " + o.method + ": give mple or mcmle");
  }
  const bool mcmle = o.method == "mcmle";
  if (!mcmle) {
    if (!o.mcmle.init.empty()) throw UsageError("--init is for --method mcmle");
    if (!o.mcmle.diagnostics_path.empty()) {
      throw UsageError("--diagnostics is for --method mcmle");
    }
    return;
  }
  if (errors != ErrorMethod::naive) {
    throw UsageError("--se " + o.errors +
                     ": maximum likelihood by MCMC gives its own standard errors (the inverse "
                     "Fisher information); leave out --se");
  }
  if (!o.report_path.empty()) {
    throw UsageError(
        "--report writes the pseudo-likelihood report of the dialogue; give --json "
        "or --csv for --method mcmle");
  }
  if (o.study.diagonal) {
    throw UsageError("--diagonal: maximum likelihood by MCMC does not take the self-pairs");
  }
}

}  // namespace

int run_fit_command(const FitCommandOptions& o, std::ostream& out, std::ostream& err) {
  const ErrorMethod method = error_method(o.errors);
  check_method(o, method);
  if (o.json_path == "-" && o.csv_path == "-") {
    throw UsageError("--json - and --csv - cannot both write to standard output");
  }
  if (o.report_path == "-") {
    throw UsageError("--report writes a file; give its name (the screen shows the summary)");
  }
  if (method != ErrorMethod::naive && o.replicates < 2) {
    throw UsageError("--replicates " + std::to_string(o.replicates) + ": give 2 or more");
  }
  OutputFiles outputs(out);
  for (const auto& [path, option] : o.study.input_files()) outputs.add_input(path, option);
  std::ostream* report = o.report_path.empty() ? nullptr : &outputs.open(o.report_path, "--report");
  std::ostream* json = o.json_path.empty() ? nullptr : &outputs.open(o.json_path, "--json");
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  std::ostream* diagnostics = o.mcmle.diagnostics_path.empty()
                                  ? nullptr
                                  : &outputs.open(o.mcmle.diagnostics_path, "--diagnostics");
  const bool summary_shown = !o.quiet && o.json_path != "-" && o.csv_path != "-";

  InputData input = load_input_data(o.study);
  const Study study = build_study(o.model, input, o.study);
  for (const InputFileRecord& file : input.files) {
    if (file.role == "edgecov") outputs.add_input(file.path, "edgecov in --model");
  }
  const Model& model = study.model;
  if (report != nullptr && !model.kernel) {
    throw UsageError(
        "--report writes the dialogue's report, of the sixteen configuration types only; give "
        "--json or --csv for this model");
  }
  const bool by_mcmc = o.method == "mcmle";
  if (method != ErrorMethod::naive || by_mcmc) check_can_simulate(study);

  if (!by_mcmc) refuse_curved(model, "give --method mcmle");
  // A curved model starts from the pseudo-likelihood fit at its written decays.
  const CheckedFit fit =
      model.curved() ? fit_and_check(study.with_model(model.fixed_at(model.start_from_fixed({}))))
                     : fit_and_check(study);
  McmleFit mcmle;
  if (by_mcmc) mcmle = fit_by_mcmle(o.mcmle, o.sampling, study, fit, o.quiet, err);
  const FitResult& result = by_mcmc ? mcmle.shown : fit.result;
  GivenErrors given;
  if (by_mcmc) {
    given.errors = mcmle.errors;
  } else {
    given = errors_of(method, {o, study, model, fit, err});
    if (method == ErrorMethod::naive && fit.usable()) given.warnings = naive_errors_caveat(model);
  }
  // The pseudo-likelihood's own warnings belong to its estimate, which MCMLE only starts from.
  std::vector<Warning> warnings = by_mcmc ? mcmle.warnings : fit.warnings;
  warnings.insert(warnings.end(), given.warnings.begin(), given.warnings.end());
  warnings.insert(warnings.end(), input.notes.begin(), input.notes.end());
  for (Warning& w : model_warnings(model, o.study)) warnings.push_back(std::move(w));

  std::ostringstream screen;
  std::ostream nowhere(nullptr);
  std::optional<double> log_likelihood;
  if (by_mcmc) {
    log_likelihood = mcmle.result->log_likelihood;
  } else if (model.dyad_independent() && fit.usable()) {
    log_likelihood = fit.result.loglik;  // the pseudo-likelihood is the likelihood
  }

  FitRecord record;
  record.files = input.files;
  record.model_text = o.model;
  record.data_arguments = data_arguments(o.study);
  record.network = &study.network;
  record.labels = &input.labels;
  record.include_diagonal = study.include_diagonal;
  record.model = &model;
  record.blocking = input.blocking.in_use() ? &input.blocking : nullptr;
  record.blocking_attribute_name = input.blocking_attribute_name();
  record.observed_statistics =
      model.coefficient_statistics(model.network_statistics(study.graph()));
  record.result = &result;
  record.errors = &given.errors;
  record.estimate_exists = by_mcmc || fit.estimate_exists;
  record.warnings = worded(warnings);
  record.mcmle = mcmle.result.get();
  record.log_likelihood = log_likelihood;
  if (summary_shown) {
    write_fit_screen({o.study.network_path, &study.network, &model, &result, &given.errors,
                      record.mcmle, log_likelihood, record.aic(), record.bic()},
                     screen);
  }
  if (report != nullptr) {
    write_report_head(o, *report);
    if (result.end == FitEnd::completed) {
      write_report(*model.kernel, input.blocking, result, given.errors, nowhere, *report);
    }
  }

  if (json != nullptr) write_fit_json(record, *json);
  if (diagnostics != nullptr && record.mcmle != nullptr) {
    write_mcmle_diagnostics(*record.mcmle, model.coefficient_names(), o.mcmle.diagnostics_path,
                            *diagnostics);
  }
  if (csv != nullptr) write_tidy_csv(record, *csv);
  outputs.commit();

  if (summary_shown) out << screen.str() << std::flush;
  for (const WordedWarning& w : record.warnings) err << "tarnwick: " << w.message << '\n';
  if (by_mcmc) return mcmle.converged() ? exit_ok : exit_fit_problem;
  return fit.usable() && !given.degenerate ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
