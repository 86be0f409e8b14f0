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

// Refuses settings that do not fit each other, before any file is opened.
void check_fit_options(const FitCommandOptions& o, const Estimator& estimator,
                       const EstimatorSettings& settings) {
  estimator.check(settings);
  check_method(o, estimator);
  if (o.json_path == "-" && o.csv_path == "-") {
    throw UsageError("--json - and --csv - cannot both write to standard output");
  }
  if (o.report_path == "-") {
    throw UsageError("--report writes a file; give its name (the screen shows the summary)");
  }
}

// The files the fit writes, opened before anything is read (none replaces an input file).
struct FitFiles {
  std::ostream* report = nullptr;
  std::ostream* json = nullptr;
  std::ostream* csv = nullptr;
  std::ostream* diagnostics = nullptr;
};

FitFiles open_fit_files(const FitCommandOptions& o, OutputFiles& outputs) {
  for (const auto& [path, option] : o.study.input_files()) outputs.add_input(path, option);
  FitFiles files;
  if (!o.report_path.empty()) files.report = &outputs.open(o.report_path, "--report");
  if (!o.json_path.empty()) files.json = &outputs.open(o.json_path, "--json");
  if (!o.csv_path.empty()) files.csv = &outputs.open(o.csv_path, "--csv");
  if (!o.mcmle.diagnostics_path.empty()) {
    files.diagnostics = &outputs.open(o.mcmle.diagnostics_path, "--diagnostics");
  }
  return files;
}

// The fit, with the progress bar of simulated errors and the MCMLE iteration lines on `err`
// when it is a terminal.
Estimate run_estimator(const FitCommandOptions& o, const Estimator& estimator,
                       const EstimatorSettings& settings, const Study& study, std::ostream& err) {
  const bool shown = !o.quiet && standard_error_is_terminal();
  // Only the pseudo-likelihood takes errors other than its own (estimator.check).
  const bool simulated_errors = o.errors != "naive";
  std::optional<ProgressBar> bar;
  if (simulated_errors) {
    bar.emplace(
        err, o.errors == "bootstrap" ? "simulating and refitting networks" : "simulating networks",
        o.replicates, shown);
  }
  return estimator.fit(study, settings,
                       {mcmle_progress_lines(err, shown), bar ? &bar->counter() : nullptr});
}

void write_fit_files(const FitCommandOptions& o, const FitFiles& files, const Study& study,
                     const InputData& input, const Estimate& estimate, const FitRecord& record) {
  if (files.report != nullptr) {
    write_report_head(o, *files.report);
    if (estimate.result.end == FitEnd::completed) {
      std::ostream nowhere(nullptr);
      write_report(*study.model.kernel, input.blocking, estimate.result, estimate.errors, nowhere,
                   *files.report);
    }
  }
  if (files.json != nullptr) write_fit_json(record, *files.json);
  if (files.diagnostics != nullptr && record.mcmle != nullptr) {
    write_mcmle_diagnostics(*record.mcmle, study.model.coefficient_names(),
                            o.mcmle.diagnostics_path, *files.diagnostics);
  }
  if (files.csv != nullptr) write_tidy_csv(record, *files.csv);
}

}  // namespace

int run_fit_command(const FitCommandOptions& o, std::ostream& out, std::ostream& err) {
  error_method_named(o.errors);
  const Estimator& estimator = estimator_named(o.method);
  const EstimatorSettings settings = estimator_settings(o);
  check_fit_options(o, estimator, settings);
  OutputFiles outputs(out, o.spread == nullptr || o.spread->writes_results());
  const FitFiles files = open_fit_files(o, outputs);
  const bool summary_shown = !o.quiet && o.json_path != "-" && o.csv_path != "-";

  InputData input = load_input_data(o.study);
  const Study study = build_study(o.model, input, o.study);
  for (const InputFileRecord& file : input.files) {
    if (file.role == "edgecov") outputs.add_input(file.path, "edgecov in --model");
  }
  if (files.report != nullptr && !study.model.kernel) {
    throw UsageError(
        "--report writes the dialogue's report, of the sixteen configuration types only; give "
        "--json or --csv for this model");
  }
  const Estimate estimate = run_estimator(o, estimator, settings, study, err);
  const FitRecord record = fit_record_of(estimate, study, input, o.study, o.model);
  std::ostringstream screen;
  if (summary_shown) {
    write_fit_screen(
        {o.study.network_path, &study.network, &study.model, &estimate.result, &estimate.errors,
         record.mcmle, record.log_likelihood, record.aic(), record.bic()},
        screen);
  }
  write_fit_files(o, files, study, input, estimate, record);
  outputs.commit();

  if (summary_shown) out << screen.str() << std::flush;
  for (const WordedWarning& w : record.warnings) err << "tarnwick: " << w.message << '\n';
  return estimate.succeeded() ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
