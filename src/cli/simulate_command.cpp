#include "cli/simulate_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include "cli/command_errors.h"
#include "cli/data_options.h"
#include "cli/exit_status.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "cli/saved_fit.h"
#include "estimate/checked_fit.h"
#include "estimate/gof_check.h"
#include "estimate/sample_warnings.h"
#include "io/study_building.h"
#include "network/fatal_error.h"
#include "network/usage_error.h"
#include "report/gof_report.h"
#include "report/tidy_csv.h"
#include "report/warning_text.h"
#include "simulate/gof_summary.h"
#include "simulate/network_features.h"
#include "simulate/sample_spread.h"
#include "simulate/sampler.h"

namespace tarn {

namespace {

namespace fs = std::filesystem;

// What both commands start from: the data, the model and the coefficients to draw from.
struct Simulation {
  InputData input;
  Study study;
  std::vector<double> coefficients;
  bool coefficients_given = false;  // by --coef, not fitted
  // simulate --nodes N without a network: the chains start at the empty network of N nodes, and
  // what the tables call observed is that start.
  bool empty_start = false;
  SamplerSettings settings;
};

// Whether the options ask for networks drawn from the empty network of --nodes N nodes.
bool empty_start(const SimulateCommandOptions& o) {
  return o.fit_path.empty() && o.study.network_path.empty() && o.study.node_count > 0;
}

// The options with what --fit gives filled in: the fit's data options, model and estimates.
// Without --fit, the network and the model must be given (simulate may draw from the empty
// network of --nodes N instead, at --coef). Returns the fit's outcome when it has no estimate to
// draw from, empty otherwise.
std::string take_up_fit(SimulateCommandOptions& o, bool empty_start_allowed) {
  if (o.fit_path.empty()) {
    const bool from_empty = empty_start_allowed && empty_start(o);
    if (o.study.network_path.empty() && !from_empty) {
      throw UsageError(
          std::string("network is required: give the network file, or --fit FILE, "
                      "the JSON results of a fit") +
          (empty_start_allowed ? ", or --nodes N for an empty network of N nodes" : ""));
    }
    if (o.model.empty()) throw UsageError("--model is required (or --fit FILE)");
    if (from_empty && o.coef.empty()) {
      throw UsageError("--nodes " + std::to_string(o.study.node_count) +
                       " without a network draws from the empty network of " +
                       std::to_string(o.study.node_count) +
                       " nodes, where nothing can be fitted: give the coefficients with --coef");
    }
    return {};
  }
  std::string given;
  if (!o.study.network_path.empty()) given += ", the network " + o.study.network_path;
  if (!o.model.empty()) given += ", --model";
  if (!o.coef.empty()) given += ", --coef";
  const std::vector<std::string> data = data_arguments(o.study);
  if (!data.empty() && o.study.network_path.empty()) given += ", " + data.front();
  if (!given.empty()) {
    throw UsageError("--fit " + o.fit_path +
                     " gives the network and its options, the model and the coefficients of "
                     "the fit; leave out " +
                     given.substr(2));
  }
  const SavedFit saved = read_saved_fit(o.fit_path);
  o.study = saved.study;
  o.model = saved.model;
  o.coef = saved.coefficients;
  o.fitted_nodes = saved.nodes;
  o.fitted_links = saved.links;
  return saved.converged() ? std::string() : saved.outcome;
}

void check_network_count(const SimulateCommandOptions& o) {
  if (o.networks < 1) {
    throw UsageError("--networks " + std::to_string(o.networks) + ": give 1 or more");
  }
}

// Reads the data, builds the model, checks that it can be simulated, and takes the coefficients
// from --coef or from the fit. Returns null, having said why on `err`, when the fit gives no
// estimate to simulate from.
std::unique_ptr<Simulation> prepare(const SimulateCommandOptions& o, std::ostream& err) {
  auto s = std::make_unique<Simulation>();
  s->input = load_input_data(o.study);
  if (o.fitted_nodes >= 0 && (s->input.network.node_count != o.fitted_nodes ||
                              s->input.network.link_count != o.fitted_links)) {
    throw FatalError("--fit " + o.fit_path + ": the fit was of a network of " +
                     std::to_string(o.fitted_nodes) + " nodes and " +
                     std::to_string(o.fitted_links) + " links, but " + o.study.network_path +
                     " now gives " + std::to_string(s->input.network.node_count) + " nodes and " +
                     std::to_string(s->input.network.link_count) + "; fit it again.");
  }
  s->study = build_study(o.model, s->input, o.study);
  check_can_simulate(s->study);
  s->settings = o.sampling.settings(s->study);
  s->empty_start = empty_start(o);
  if (s->empty_start) {
    // Far from the empty network is where the model's networks are: a burn-in long enough to get
    // there, 4 toggles per dyad.
    if (o.sampling.burnin < 0 && o.sampling.interval < 0) {
      s->settings.burnin = std::max<std::int64_t>(s->settings.burnin, 4 * s->study.dyad_count());
    }
  }
  show_warnings(s->input.notes, err);
  show_warnings(model_warnings(s->study.model, o.study), err);
  if (!o.coef.empty()) {
    // The sampler takes canonical parameters: a curved term's weight and decay mapped to them.
    s->coefficients = s->study.model.canonical(coefficients_of(o.coef, s->study.model));
    s->coefficients_given = true;
    return s;
  }
  refuse_curved(s->study.model, "give its weight and decay with --coef");
  const CheckedFit fit = fit_and_check(s->study);
  if (!fit.usable()) {
    show_warnings(fit.warnings, err);
    err << "tarnwick: the fit gave no estimate to simulate from; give the coefficients with "
           "--coef\n";
    return nullptr;
  }
  for (int p = 1; p <= s->study.model.parameter_count(); ++p) {
    s->coefficients.push_back(fit.result.estimate(p));
  }
  return s;
}

std::string statistic_names(const Model& model) {
  std::string line;
  for (const std::string& name : model.statistic_names()) line += "," + csv_text(name);
  return line;
}

// The sampler's summary on the screen: per statistic the observed value, the simulated mean and
// standard deviation, and the lag-1 autocorrelation; then the sampler's figures.
void write_sample_table(const Simulation& s, const SampleSummary& sample, std::ostream& out) {
  char line[160];
  std::snprintf(line, sizeof line, " %-16s %14s %14s %14s %10s\n", "statistic",
                s.empty_start ? "start" : "observed", "mean", "sd", "lag-1 acf");
  out << '\n' << line;
  const std::vector<std::string> names = s.study.model.statistic_names();
  for (int p = 0; p < s.study.model.parameter_count(); ++p) {
    const ColumnSpread spread = column_spread(sample.statistics, std::size_t(p));
    const double mean = spread.mean;
    const double sd = sample.statistics.size() > 1 ? spread.sd : NAN;
    const double r = p < static_cast<int>(sample.lag1_autocorrelation.size())
                         ? sample.lag1_autocorrelation[std::size_t(p)]
                         : NAN;
    char acf[16] = "n/a";
    if (std::isfinite(r)) std::snprintf(acf, sizeof acf, "%.3f", r);
    std::snprintf(line, sizeof line, " %-16s %14.2f %14.2f %14.2f %10s\n",
                  names[std::size_t(p)].c_str(), sample.observed[std::size_t(p)], mean, sd, acf);
    out << line;
  }
  std::snprintf(
      line, sizeof line,
      "\n %zu networks from %d chains (seed %llu, burn-in %lld, interval %lld "
      "toggles); %lld proposals, %.1f%% accepted\n",
      sample.statistics.size(), s.settings.chains, static_cast<unsigned long long>(s.settings.seed),
      static_cast<long long>(s.settings.burnin), static_cast<long long>(s.settings.interval),
      static_cast<long long>(sample.proposals),
      100.0 * static_cast<double>(sample.accepted) /
          static_cast<double>(std::max<std::int64_t>(sample.proposals, 1)));
  out << line;
}

// What the sample's autocorrelations call for, on standard error; why they show as n/a only
// with the table that shows them.
void show_sample_warnings(const Simulation& s, const SampleSummary& sample, bool table_shown,
                          std::ostream& err) {
  for (const Warning& w :
       autocorrelation_warnings(sample, s.study.model, s.settings.chains, "sample")) {
    if (table_shown || w.code != "autocorrelation_not_estimated") show_warnings({w}, err);
  }
}

// One simulated network as an edge list, with the observed network's labels; undirected, each
// edge once, under a header that names no direction.
void write_edge_list(const TermGraph& graph, const NodeLabels& labels, std::ostream& out) {
  out << (graph.directed() ? "sender,receiver\n" : "node1,node2\n");
  for (const auto& [a, b] : graph.link_list())
    out << labels.name(a) << ',' << labels.name(b) << '\n';
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

// Draws the networks, each written to the staging folder of --out (if any) as it is drawn.
SampleSummary draw_networks(const SimulateCommandOptions& o, const Simulation& s,
                            const FileSeries& networks, const std::string& staging,
                            std::ostream& err) {
  std::mutex failure_lock;
  std::string failure;
  auto visit = [&](int k, const TermGraph& graph, const std::vector<double>&) {
    if (staging.empty()) return;
    const std::string name = networks.name(k + 1);
    std::ofstream file(fs::path(staging) / name, std::ios::binary);
    write_edge_list(graph, s.input.labels, file);
    file.close();
    if (file.fail()) {
      std::lock_guard<std::mutex> lock(failure_lock);
      failure = "--out " + o.out_dir + ": cannot write " + name;
    }
  };
  SampleSummary sample;
  {
    ProgressBar bar(err, "simulating networks", o.networks,
                    !o.quiet && standard_error_is_terminal());
    sample =
        sample_networks(s.study, s.coefficients, o.networks, s.settings, visit, &bar.counter());
  }
  if (!failure.empty()) throw OutputFailed(failure);
  return sample;
}

// What the draws call for; from an empty start there is no observed network for the draws to
// be far from.
std::vector<Warning> drawing_warnings(const Simulation& s, const SampleSummary& sample) {
  if (!s.empty_start) {
    return draw_warnings(sample, s.study.model, s.coefficients, s.coefficients_given);
  }
  if (sample.capacity_stop.found) return {sample.capacity_stop.warning()};
  return {};
}

// The model's statistics of the observed network (or the start) and of every network drawn.
void write_statistics(const Simulation& s, const SampleSummary& sample, std::ostream& stats) {
  stats << "network" << statistic_names(s.study.model) << '\n';
  stats << (s.empty_start ? "start" : "observed");
  for (double v : sample.observed) stats << ',' << csv_number(v);
  stats << '\n';
  for (std::size_t k = 0; k < sample.statistics.size(); ++k) {
    stats << k + 1;
    for (double v : sample.statistics[k]) stats << ',' << csv_number(v);
    stats << '\n';
  }
}

}  // namespace

int run_simulate_command(const SimulateCommandOptions& given, std::ostream& out,
                         std::ostream& err) {
  SimulateCommandOptions o = given;
  if (!took_up_fit(o, true, err)) return exit_fit_problem;
  check_network_count(o);
  if (o.out_dir.empty() && o.stats_path.empty() && o.quiet) {
    throw UsageError("nothing to do: give --out DIR or --stats FILE, or leave out --quiet");
  }
  OutputFiles outputs(out);
  for (const auto& [path, option] : o.study.input_files()) outputs.add_input(path, option);
  std::ostream* stats = o.stats_path.empty() ? nullptr : &outputs.open(o.stats_path, "--stats");
  const FileSeries networks{o.out_dir, "network_", ".csv", o.networks,
                            static_cast<int>(std::to_string(o.networks).size())};
  const std::string staging =
      o.out_dir.empty() ? std::string() : outputs.add_series(networks, "--out", o.overwrite);
  const std::unique_ptr<Simulation> s = prepare(o, err);
  if (s == nullptr) return exit_fit_problem;

  const SampleSummary sample = draw_networks(o, *s, networks, staging, err);
  show_warnings(drawing_warnings(*s, sample), err);
  // Networks that pile up or split say the model is degenerate at these coefficients: no
  // results, as for a fit without an estimate.
  if (sample.capacity_stop.found || (!s->empty_start && sample.evidence.degenerate())) {
    return exit_fit_problem;
  }
  if (stats != nullptr) write_statistics(*s, sample, *stats);
  outputs.commit();
  const bool table_shown = !o.quiet && o.stats_path != "-";
  if (table_shown) write_sample_table(*s, sample, out);
  show_sample_warnings(*s, sample, table_shown, err);
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
    throw UsageError("only one of --csv, --svg and --html can write to standard output");
  }
  OutputFiles outputs(out);
  for (const auto& [path, option] : o.study.input_files()) outputs.add_input(path, option);
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  std::ostream* svg = o.svg_path.empty() ? nullptr : &outputs.open(o.svg_path, "--svg");
  std::ostream* html = o.html_path.empty() ? nullptr : &outputs.open(o.html_path, "--html");
  const std::unique_ptr<Simulation> s = prepare(o, err);
  if (s == nullptr) return exit_fit_problem;

  GofCheck check;
  {
    ProgressBar bar(err, "simulating networks", o.networks,
                    !o.quiet && standard_error_is_terminal());
    check = check_gof(s->study, s->coefficients, s->coefficients_given, s->settings, o.networks,
                      &bar.counter());
  }
  show_warnings(check.draw_warnings, err);
  // Networks that pile up or split say the model is degenerate at these coefficients: no
  // results, as for a fit without an estimate.
  if (check.degenerate) return exit_fit_problem;
  const GofSummary& summary = check.summary;
  const SampleSummary& sample = check.sample;
  std::string title =
      "Goodness of fit: " + o.study.network_path + (s->study.directed() ? "," : " (undirected),");
  for (const TermPointer& term : s->study.model.terms) title += " " + term->text();
  if (csv != nullptr) write_gof_csv(summary, *csv);
  if (svg != nullptr) write_gof_svg(summary, title, *svg);
  if (html != nullptr) write_gof_html(summary, title, *html);
  outputs.commit();
  const bool table_shown = !o.quiet && to_standard_output == 0;
  if (table_shown) {
    out << ' ' << title << "\n\n";
    write_gof_table(summary, out);
    write_sample_table(*s, sample, out);
  }
  show_sample_warnings(*s, sample, table_shown, err);
  show_warnings(check.feature_warnings, err);
  return exit_ok;
}

}  // namespace tarn
