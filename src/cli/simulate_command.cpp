#include "cli/simulate_command.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "cli/command_errors.h"
#include "cli/data_options.h"
#include "cli/exit_status.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "tarnwick/errors.h"
#include "tarnwick/reporting.h"
#include "tarnwick/saved_fit.h"
#include "tarnwick/simulate.h"

namespace tarn {

namespace {

namespace fs = std::filesystem;

// Whether the options ask for networks drawn from the empty network of --nodes N nodes.
bool empty_start(const SimulateCommandOptions& o) {
  return o.fit_path.empty() && o.data.network_path.empty() && o.data.node_count > 0;
}

// Without --fit, the network and the model must be given (simulate may draw from the empty
// network of --nodes N instead, at --coef).
void check_given(const SimulateCommandOptions& o, bool empty_start_allowed) {
  const bool from_empty = empty_start_allowed && empty_start(o);
  if (o.data.network_path.empty() && !from_empty) {
    throw tarnwick::ArgumentError(
        std::string("network is required: give the network file, or --fit FILE, "
                    "the JSON results of a fit") +
        (empty_start_allowed ? ", or --nodes N for an empty network of N nodes" : ""));
  }
  if (o.model.empty()) throw tarnwick::ArgumentError("--model is required (or --fit FILE)");
  if (from_empty && o.coef.empty()) {
    throw tarnwick::ArgumentError(
        "--nodes " + std::to_string(o.data.node_count) +
        " without a network draws from the empty network of " + std::to_string(o.data.node_count) +
        " nodes, where nothing can be fitted: give the coefficients with --coef");
  }
}

// With --fit, the network, the model and the coefficients come from the fit alone.
void refuse_given_with_fit(const SimulateCommandOptions& o) {
  std::string given;
  if (!o.data.network_path.empty()) given += ", the network " + o.data.network_path;
  if (!o.model.empty()) given += ", --model";
  if (!o.coef.empty()) given += ", --coef";
  if (!o.constraints.empty()) given += ", --constraints";
  const std::vector<std::string> data = tarnwick::data_arguments(o.data);
  if (!data.empty() && o.data.network_path.empty()) given += ", " + data.front();
  if (!given.empty()) {
    throw tarnwick::ArgumentError("--fit " + o.fit_path +
                                  " gives the network and its options, the model, its "
                                  "constraints and the coefficients of the fit; leave out " +
                                  given.substr(2));
  }
}

// The options with what --fit gives filled in: the fit's data options, model and estimates.
// Returns the fit's outcome when it has no estimate to draw from, empty otherwise.
std::string take_up_fit(SimulateCommandOptions& o, bool empty_start_allowed) {
  if (o.fit_path.empty()) {
    check_given(o, empty_start_allowed);
    return {};
  }
  refuse_given_with_fit(o);
  const tarnwick::SavedFit saved = [&o] {
    try {
      return tarnwick::read_saved_fit(o.fit_path);
    } catch (const tarnwick::InputError& e) {
      // The library names the file; the command line names the option too.
      const std::string message = e.what();
      if (message.rfind(o.fit_path + ": ", 0) != 0) throw;
      throw tarnwick::InputError("--fit " + message, e.file, e.line, e.column);
    }
  }();
  try {
    o.data = read_options_of(saved.data_arguments);
  } catch (const tarnwick::ArgumentError& e) {
    throw tarnwick::InputError("--fit " + o.fit_path + ": " + e.what() +
                               "; give the JSON results file that tarnwick fit --json wrote.");
  }
  o.model = saved.formula;
  o.constraints = saved.constraints;
  o.fitted_coefficients = saved.coefficients;
  o.fitted_nodes = saved.nodes;
  o.fitted_links = saved.links;
  return saved.converged() ? std::string() : saved.outcome;
}

// Takes up --fit (take_up_fit); false, having said why on `err`, when the fit has no estimate
// to draw from.
bool took_up_fit(SimulateCommandOptions& o, bool empty_start_allowed, std::ostream& err) {
  const std::string outcome = take_up_fit(o, empty_start_allowed);
  if (outcome.empty()) return true;
  err << "tarnwick: --fit " << o.fit_path << ": the fit gave no estimate to simulate from ("
      << outcome << "); give the coefficients with --coef\n";
  return false;
}

void check_network_count(const SimulateCommandOptions& o) {
  if (o.networks < 1) {
    throw tarnwick::ArgumentError("--networks " + std::to_string(o.networks) + ": give 1 or more");
  }
}

// Reads the data and builds the model; checks that it is the network --fit was of and that the
// model can be simulated, then shows what the readers and the terms noticed.
tarnwick::Model prepared_model(const SimulateCommandOptions& o, std::ostream& err) {
  const tarnwick::Network network = tarnwick::read_network(o.data);
  if (o.fitted_nodes >= 0 &&
      (network.node_count() != o.fitted_nodes || network.link_count() != o.fitted_links)) {
    throw tarnwick::InputError(
        "--fit " + o.fit_path + ": the fit was of a network of " + std::to_string(o.fitted_nodes) +
        " nodes and " + std::to_string(o.fitted_links) + " links, but " + o.data.network_path +
        " now gives " + std::to_string(network.node_count()) + " nodes and " +
        std::to_string(network.link_count()) + "; fit it again.");
  }
  const tarnwick::Model model = tarnwick::build_model(network, o.model);
  tarnwick::check_can_simulate(model);
  for (const tarnwick::WarningRecord& w : model.notes()) err << "tarnwick: " << w.message << '\n';
  return model;
}

template <class Settings>
Settings draw_settings(const SimulateCommandOptions& o) {
  Settings s;
  s.coefficients = o.fitted_coefficients;
  s.coefficient_list = o.coef;
  s.offset_coef_list = o.offset_coef;
  s.constraints = o.constraints;
  s.coefficients_option = "--coef";
  s.networks = o.networks;
  o.sampling.apply(s);
  return s;
}

// The warnings about `about`, each on its own line of `err`; `autocorrelation_not_estimated`
// only with the table that shows the n/a it explains.
void show(const std::vector<tarnwick::WarningRecord>& warnings, const std::string& about,
          std::ostream& err, bool table_shown = true) {
  for (const tarnwick::WarningRecord& w : warnings) {
    if (w.about != about) continue;
    if (!table_shown && w.code == "autocorrelation_not_estimated") continue;
    err << "tarnwick: " << w.message << '\n';
  }
}

// False, having said why, when no coefficients were given and the fit gave no estimate.
bool drew_from_an_estimate(tarnwick::DrawOutcome outcome,
                           const std::vector<tarnwick::WarningRecord>& warnings,
                           std::ostream& err) {
  if (outcome != tarnwick::DrawOutcome::no_estimate) return true;
  show(warnings, "fit", err);
  err << "tarnwick: the fit gave no estimate to simulate from; give the coefficients with "
         "--coef\n";
  return false;
}

// Writes each network drawn into the staging folder of --out; the first failure is kept.
class NetworkFiles {
 public:
  NetworkFiles(const FileSeries& series, std::string staging, std::string out_dir)
      : series_(series), staging_(std::move(staging)), out_dir_(std::move(out_dir)) {}

  void write(int index, const std::string& edge_list) {
    const std::string name = series_.name(index + 1);
    std::ofstream file(fs::path(staging_) / name, std::ios::binary);
    file << edge_list;
    file.close();
    if (file.fail()) {
      const std::lock_guard<std::mutex> lock(failure_lock_);
      failure_ = "--out " + out_dir_ + ": cannot write " + name;
    }
  }
  // Throws OutputFailed when a network could not be written.
  void check() const {
    if (!failure_.empty()) throw OutputFailed(failure_);
  }

 private:
  const FileSeries& series_;
  std::string staging_, out_dir_;
  std::mutex failure_lock_;
  std::string failure_;
};

// Draws the networks, each written to the staging folder of --out (if any) as it is drawn.
tarnwick::SimulationResult draw_networks(const SimulateCommandOptions& o,
                                         const tarnwick::Model& model, NetworkFiles* files,
                                         std::ostream& err) {
  auto settings = draw_settings<tarnwick::SimulateSettings>(o);
  settings.empty_start = empty_start(o);
  settings.keep_networks = false;
  if (files != nullptr) {
    settings.each_network = [files](int k, const std::string& edges) { files->write(k, edges); };
  }
  ProgressBar bar(err, "simulating networks", o.networks, !o.quiet && standard_error_is_terminal());
  tarnwick::Progress progress;
  progress.counter = &bar.counter();
  return tarnwick::simulate(model, settings, progress);
}

}  // namespace

int run_simulate_command(const SimulateCommandOptions& given, std::ostream& out,
                         std::ostream& err) {
  SimulateCommandOptions o = given;
  if (!took_up_fit(o, true, err)) return exit_fit_problem;
  check_network_count(o);
  if (o.out_dir.empty() && o.stats_path.empty() && o.quiet) {
    throw tarnwick::ArgumentError(
        "nothing to do: give --out DIR or --stats FILE, or leave out --quiet");
  }
  OutputFiles outputs(out);
  for (const auto& [path, option] : tarnwick::input_files(o.data)) outputs.add_input(path, option);
  std::ostream* stats = o.stats_path.empty() ? nullptr : &outputs.open(o.stats_path, "--stats");
  const FileSeries series{o.out_dir, "network_", ".csv", o.networks,
                          static_cast<int>(std::to_string(o.networks).size())};
  std::optional<NetworkFiles> files;
  if (!o.out_dir.empty())
    files.emplace(series, outputs.add_series(series, "--out", o.overwrite), o.out_dir);
  const tarnwick::Model model = prepared_model(o, err);

  const tarnwick::SimulationResult drawn = draw_networks(o, model, files ? &*files : nullptr, err);
  if (!drew_from_an_estimate(drawn.outcome, drawn.warnings, err)) return exit_fit_problem;
  if (files) files->check();
  show(drawn.warnings, "draws", err);
  // A chain that filled the link store drew none of the model's networks: no results. Networks
  // far from the observed one are written, the warnings giving their figures.
  if (drawn.outcome == tarnwick::DrawOutcome::degenerate) return exit_fit_problem;
  if (stats != nullptr) *stats << tarnwick::sample_csv(drawn.sample);
  outputs.commit();
  const bool table_shown = !o.quiet && o.stats_path != "-";
  if (table_shown) out << tarnwick::sample_table(drawn.sample);
  show(drawn.warnings, "sample", err, table_shown);
  return exit_ok;
}

int run_gof_command(const SimulateCommandOptions& given, std::ostream& out, std::ostream& err) {
  SimulateCommandOptions o = given;
  if (!took_up_fit(o, false, err)) return exit_fit_problem;
  check_network_count(o);
  int to_standard_output = 0;
  for (const std::string* path : {&o.csv_path, &o.svg_path, &o.html_path}) {
    to_standard_output += *path == "-" ? 1 : 0;
  }
  if (to_standard_output > 1) {
    throw tarnwick::ArgumentError(
        "only one of --csv, --svg and --html can write to standard output");
  }
  // Under an MPI launcher every process draws its share of the chains; the first writes.
  const bool writes = o.processes == nullptr || o.processes->writes_results();
  OutputFiles outputs(out, writes);
  for (const auto& [path, option] : tarnwick::input_files(o.data)) outputs.add_input(path, option);
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  std::ostream* svg = o.svg_path.empty() ? nullptr : &outputs.open(o.svg_path, "--svg");
  std::ostream* html = o.html_path.empty() ? nullptr : &outputs.open(o.html_path, "--html");
  const tarnwick::Model model = prepared_model(o, err);

  tarnwick::GofTables tables;
  {
    ProgressBar bar(err, "simulating networks", o.networks,
                    writes && !o.quiet && standard_error_is_terminal());
    tarnwick::Progress progress;
    progress.counter = &bar.counter();
    auto settings = draw_settings<tarnwick::GofSettings>(o);
    settings.processes = o.processes;
    tables = tarnwick::gof(model, settings, progress);
  }
  if (!drew_from_an_estimate(tables.outcome, tables.warnings, err)) return exit_fit_problem;
  show(tables.warnings, "draws", err);
  // Networks that pile up or split say the model is degenerate at these coefficients: no
  // results, as for a fit without an estimate.
  if (tables.outcome == tarnwick::DrawOutcome::degenerate) return exit_fit_problem;
  if (csv != nullptr) *csv << tarnwick::gof_csv(tables);
  if (svg != nullptr) *svg << tarnwick::gof_svg(tables);
  if (html != nullptr) *html << tarnwick::gof_html(tables);
  outputs.commit();
  const bool table_shown = !o.quiet && to_standard_output == 0;
  if (table_shown) out << tarnwick::gof_screen(tables);
  show(tables.warnings, "sample", err, table_shown);
  show(tables.warnings, "features", err);
  return exit_ok;
}

}  // namespace tarn
