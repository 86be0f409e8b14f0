#include "cli/fit_command.h"

#include <optional>

#include "cli/exit_status.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "tarnwick/errors.h"
#include "tarnwick/fit.h"
#include "tarnwick/model.h"

namespace tarn {

namespace {

tarnwick::FitSettings fit_settings(const FitCommandOptions& o) {
  tarnwick::FitSettings s;
  s.method = o.method;
  s.errors = o.errors;
  s.replicates = o.replicates;
  s.dyad_sample = o.sampling.dyad_sample;
  s.init_list = o.mcmle.init;
  s.sample_size = o.mcmle.sample_size;
  s.max_iterations = o.mcmle.max_iterations;
  o.ee.apply(s.equilibrium);
  o.sampling.apply(s);
  s.processes = o.processes;
  s.report = !o.report_path.empty();
  s.diagnostics_file = o.mcmle.diagnostics_path;
  return s;
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

void write_fit_files(const FitFiles& files, const tarnwick::Estimate& estimate) {
  if (files.report != nullptr) *files.report << estimate.report;
  if (files.json != nullptr) *files.json << estimate.json;
  if (files.diagnostics != nullptr) *files.diagnostics << estimate.diagnostics;
  if (files.csv != nullptr) *files.csv << estimate.csv;
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
  const tarnwick::Estimate estimate = run_fit(o, settings, model, err);
  write_fit_files(files, estimate);
  outputs.commit();

  if (summary_shown) out << estimate.screen << std::flush;
  for (const tarnwick::WarningRecord& w : estimate.warnings) {
    err << "tarnwick: " << w.message << '\n';
  }
  return estimate.converged ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
