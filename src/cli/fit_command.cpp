#include "cli/fit_command.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "cli/exit_status.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "tarnwick/errors.h"
#include "tarnwick/fit.h"
#include "tarnwick/model.h"
#include "tarnwick/reporting.h"

namespace tarn {

namespace {

tarnwick::FitSettings fit_settings(const FitCommandOptions& o) {
  tarnwick::FitSettings s;
  s.method = o.method;
  s.errors = o.errors;
  s.replicates = o.replicates;
  s.dyad_sample = o.sampling.dyad_sample;
  s.init_list = o.mcmle.init;
  s.offset_coef_list = o.offset_coef;
  s.constraints = o.constraints;
  s.sample_size = o.mcmle.sample_size;
  s.max_iterations = o.mcmle.max_iterations;
  s.error_precision = o.mcmle.error_precision;
  o.ee.apply(s.equilibrium);
  o.sampling.apply(s);
  s.processes = o.processes;
  // The dialogue's report is of the dialogue's fit.
  s.dialogue_passes = !o.report_path.empty();
  return s;
}

// An HTML page for a name ending in .html or .htm (any case), an SVG figure otherwise.
bool is_html_name(std::string path) {
  std::transform(path.begin(), path.end(), path.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  auto ends = [&path](const std::string& tail) {
    return path.size() >= tail.size() &&
           path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
  };
  return ends(".html") || ends(".htm");
}

bool by_mcmc(const std::string& method) {
  for (const tarnwick::EstimatorInfo& e : tarnwick::estimators()) {
    if (e.name == method) return e.by_mcmc;
  }
  return false;
}

// Refuses settings that do not fit each other, before any file is opened.
void check_fit_options(const FitCommandOptions& o, const tarnwick::FitSettings& settings) {
  tarnwick::check_fit_settings(settings);
  if (!by_mcmc(o.method) && !o.mcmle.diagnostics_path.empty()) {
    throw tarnwick::ArgumentError("--diagnostics is for --method mcmle or ee");
  }
  if (by_mcmc(o.method) && !o.report_path.empty()) {
    throw tarnwick::ArgumentError(
        "--report writes the pseudo-likelihood report of the dialogue; give --json or --csv for "
        "--method " +
        o.method);
  }
  if (o.data.diagonal && by_mcmc(o.method)) {
    throw tarnwick::ArgumentError(
        "--diagonal: maximum likelihood by MCMC does not take the self-pairs");
  }
  if (o.json_path == "-" && o.csv_path == "-") {
    throw tarnwick::ArgumentError("--json - and --csv - cannot both write to standard output");
  }
  if (o.report_path == "-") {
    throw tarnwick::ArgumentError(
        "--report writes a file; give its name (the screen shows the summary)");
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
  for (const auto& [path, option] : tarnwick::input_files(o.data)) outputs.add_input(path, option);
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
tarnwick::Estimate run_fit(const FitCommandOptions& o, const tarnwick::FitSettings& settings,
                           const tarnwick::Model& model, std::ostream& err) {
  // Under an MPI launcher only the process that writes the results shows its progress: the
  // others' standard error keeps their own failures only.
  const bool shown = !o.quiet && standard_error_is_terminal() &&
                     (o.processes == nullptr || o.processes->writes_results());
  // Only the pseudo-likelihood takes errors other than its own (check_fit_settings).
  const bool simulated_errors = o.errors != "naive";
  std::optional<ProgressBar> bar;
  if (simulated_errors) {
    bar.emplace(
        err, o.errors == "bootstrap" ? "simulating and refitting networks" : "simulating networks",
        o.replicates, shown);
  }
  tarnwick::Progress progress;
  progress.iteration = mcmle_progress_lines(err, shown);
  progress.phase = phase_lines(err, shown);
  progress.counter = bar ? &bar->counter() : nullptr;
  return tarnwick::fit(model, settings, progress);
}

void write_fit_files(const FitCommandOptions& o, const FitFiles& files,
                     const tarnwick::Estimate& estimate) {
  if (files.report != nullptr) *files.report << tarnwick::dialogue_report(estimate);
  if (files.json != nullptr) *files.json << tarnwick::fit_json(estimate);
  if (files.diagnostics != nullptr) {
    *files.diagnostics << (is_html_name(o.mcmle.diagnostics_path)
                               ? tarnwick::diagnostics_html(estimate)
                               : tarnwick::diagnostics_svg(estimate));
  }
  if (files.csv != nullptr) *files.csv << tarnwick::fit_csv(estimate);
}

}  // namespace

int run_fit_command(const FitCommandOptions& o, std::ostream& out, std::ostream& err) {
  const tarnwick::FitSettings settings = fit_settings(o);
  check_fit_options(o, settings);
  OutputFiles outputs(out, o.processes == nullptr || o.processes->writes_results());
  const FitFiles files = open_fit_files(o, outputs);
  const bool summary_shown = !o.quiet && o.json_path != "-" && o.csv_path != "-";

  const tarnwick::Model model = tarnwick::build_model(tarnwick::read_network(o.data), o.model);
  for (const auto& [path, option] : model.input_files()) outputs.add_input(path, option);
  if (!o.report_path.empty() && !model.configuration_types_only()) {
    throw tarnwick::ArgumentError(
        "--report writes the dialogue's report, of the sixteen configuration types only; give "
        "--json or --csv for this model");
  }
  const tarnwick::Estimate estimate = run_fit(o, settings, model, err);
  write_fit_files(o, files, estimate);
  outputs.commit();

  if (summary_shown) out << tarnwick::fit_screen(estimate) << std::flush;
  for (const tarnwick::WarningRecord& w : estimate.warnings) {
    err << "tarnwick: " << w.message << '\n';
  }
  return estimate.converged ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
