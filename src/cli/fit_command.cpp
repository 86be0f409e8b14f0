#include "cli/fit_command.h"

#include <optional>
#include <sstream>

#include "cli/data_options.h"
#include "cli/exit_status.h"
#include "cli/mcmle_options.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "estimate/estimator_table.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "io/study_building.h"
#include "network/usage_error.h"
#include "report/classic_report.h"
#include "report/fit_screen.h"
#include "report/json_results.h"
#include "report/mcmle_diagnostics.h"
#include "report/tidy_csv.h"
#include "report/warning_text.h"

namespace tarn {

namespace {

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

// Refuses the options of one method given with another, and what the command line cannot give
// of a method.
void check_method(const FitCommandOptions& o, const Estimator& estimator) {
  if (!estimator.by_mcmc) {
    if (!o.mcmle.init.empty()) throw UsageError("--init is for --method mcmle or ee");
    if (!o.mcmle.diagnostics_path.empty()) {
      throw UsageError("--diagnostics is for --method mcmle or ee");
    }
    return;
  }
  if (!o.report_path.empty()) {
    throw UsageError(
        "--report writes the pseudo-likelihood report of the dialogue; give --json "
        "or --csv for --method " +
        o.method);
  }
  if (o.study.diagonal) {
    throw UsageError("--diagonal: maximum likelihood by MCMC does not take the self-pairs");
  }
}

EstimatorSettings estimator_settings(const FitCommandOptions& o) {
  return {o.errors, o.replicates, o.mcmle, {}, o.sampling, o.spread};
}

}  // namespace

int run_fit_command(const FitCommandOptions& o, std::ostream& out, std::ostream& err) {
  error_method_named(o.errors);
  const Estimator& estimator = estimator_named(o.method);
  const EstimatorSettings settings = estimator_settings(o);
  estimator.check(settings);
  check_method(o, estimator);
  if (o.json_path == "-" && o.csv_path == "-") {
    throw UsageError("--json - and --csv - cannot both write to standard output");
  }
  if (o.report_path == "-") {
    throw UsageError("--report writes a file; give its name (the screen shows the summary)");
  }
  OutputFiles outputs(out, o.spread == nullptr || o.spread->writes_results());
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
  const bool shown = !o.quiet && standard_error_is_terminal();
  // Only the pseudo-likelihood takes errors other than its own (estimator.check).
  const bool simulated_errors = o.errors != "naive";
  std::optional<ProgressBar> bar;
  if (simulated_errors) {
    bar.emplace(
        err, o.errors == "bootstrap" ? "simulating and refitting networks" : "simulating networks",
        o.replicates, shown);
  }
  const Estimate estimate = estimator.fit(
      study, settings, {mcmle_progress_lines(err, shown), bar ? &bar->counter() : nullptr});
  bar.reset();

  const FitRecord record = fit_record_of(estimate, study, input, o.study, o.model);
  const FitResult& result = estimate.result;
  std::ostringstream screen;
  if (summary_shown) {
    write_fit_screen({o.study.network_path, &study.network, &model, &result, &estimate.errors,
                      record.mcmle, record.log_likelihood, record.aic(), record.bic()},
                     screen);
  }
  if (report != nullptr) {
    write_report_head(o, *report);
    if (result.end == FitEnd::completed) {
      std::ostream nowhere(nullptr);
      write_report(*model.kernel, input.blocking, result, estimate.errors, nowhere, *report);
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
  return estimate.succeeded() ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
