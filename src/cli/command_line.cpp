#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_errors.h"
#include "cli/data_options.h"
#include "cli/exit_status.h"
#include "cli/fit_command.h"
#include "cli/simulate_command.h"
#include "cli/summary_command.h"
#include "tarnwick/errors.h"
#include "tarnwick/processes.h"
#include "tarnwick/terms.h"

namespace tarn {

namespace {

// For an argument that no option takes: the nearest option name of the command, if any is near.
std::string suggestion(const CLI::App& command, const std::vector<std::string>& arguments) {
  std::vector<std::string> names;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
  }
  for (const std::string& argument : arguments) {
    if (argument.rfind("--", 0) != 0) continue;
    const std::string given = argument.substr(0, argument.find('='));
    if (command.get_option_no_throw(given) != nullptr) continue;  // an option, not a typo
    const std::string best = tarnwick::nearest_name(given, names, 4);
    if (!best.empty()) return ". Did you mean " + best + "?";
  }
  return std::string();
}

// The options that simulate and gof share: the model, the coefficients, the sample's size and
// settings, and -q.
void add_simulation_options(CLI::App& command, SimulateCommandOptions& o) {
  command.add_option("-m,--model", o.model,
                     "The model: a formula as in statnet (\"edges + mutual + gwesp(0.5, "
                     "fixed=TRUE)\") or a comma list of terms");
  command.add_option("--coef", o.coef,
                     "Coefficients, one per term (default: the estimates of a pseudo-likelihood "
                     "fit made first)");
  command.add_option("--offset-coef", o.offset_coef,
                     "Without --coef: the coefficients of the offset terms (offset(term)) for "
                     "the fit, in their order; -Inf and Inf allowed");
  command.add_option(
      "--constraints", o.constraints,
      "The sample space, as ergm's constraint formula without ~: bd(maxout=, maxin=, "
      "minout=, minin=), blockdiag(\"attr\"), fixallbut(\"free.csv\"), "
      "fixedas(present=\"p.csv\", absent=\"a.csv\"), edges, degrees, odegrees, idegrees, observed, "
      "joined by +");
  command.add_option("--fit", o.fit_path,
                     "The JSON results of a fit (fit --json FILE): its model, estimates and data, "
                     "instead of the network, -m and --coef");
  command.add_option("--networks", o.networks, "Networks to draw (default 100)");
  command.add_flag("-q,--quiet", o.quiet, "No summary, no progress");
  o.sampling.add(command);
}

// The terms of the table, for the commands' help.
std::string type_table() {
  std::string text =
      "Model (-m): a formula as in statnet, \"edges + mutual + gwesp(0.5, fixed=TRUE) + "
      "nodematch(\\\"level\\\")\", or a comma list, \"edges,mutual,ttriple@2\".\n"
      "The sixteen configuration types by number or name (TERM@B: block type B, TERM@*: each):\n";
  for (const tarnwick::ConfigurationType& type : tarnwick::configuration_types()) {
    text += "  " + std::to_string(type.number) + (type.number < 10 ? "   " : "  ") + type.name +
            std::string(14 - type.name.size(), ' ') + type.label + "\n";
  }
  text += "Other terms (ergm's names and definitions; the user guide has the table):\n ";
  std::size_t column = 1;
  for (const tarnwick::TermInfo& term : tarnwick::terms()) {
    if (term.configuration_type) continue;
    std::string item = " " + term.name;
    if (!term.arguments.empty()) item += "(" + term.arguments + ")";
    if (column + item.size() > 96) {
      text += "\n ";
      column = 1;
    }
    text += item;
    column += item.size();
  }
  return text + "\n";
}

}  // namespace

namespace {

// The four commands, their options and the values the options fill.
struct Commands {
  CLI::App app{
      "Tarnwick: exponential random graph models (p*, ERGM) of one network, directed or "
      "(--undirected) undirected, fitted by pseudo-likelihood or by maximum likelihood through "
      "MCMC; networks simulated from them, their goodness of fit, a formula's statistics.\n"
      "Without arguments it runs the interactive dialogue.",
      "tarnwick"};
  FitCommandOptions fit;
  SimulateCommandOptions simulate, gof;
  SummaryCommandOptions summary;
  DataOptions fit_data, simulate_data, gof_data, summary_data;
  CLI::App* fit_command = nullptr;
  CLI::App* simulate_command = nullptr;
  CLI::App* gof_command = nullptr;
  CLI::App* summary_command = nullptr;

  std::vector<CLI::App*> all() const {
    return {fit_command, simulate_command, gof_command, summary_command};
  }
  CLI::App* parsed() const {
    for (CLI::App* c : all())
      if (c->parsed()) return c;
    return nullptr;
  }
};

// The estimators' rows, each with its line (the first is the default).
std::string method_help() {
  std::string help = "The estimator:";
  const std::vector<tarnwick::EstimatorInfo> rows = tarnwick::estimators();
  for (std::size_t k = 0; k < rows.size(); ++k) {
    help += (k == 0 ? " " : "; ") + rows[k].name + ", " + rows[k].description;
    if (k == 0) help += " (the default)";
  }
  return help;
}

void add_fit_command(Commands& c) {
  FitCommandOptions& fit = c.fit;
  CLI::App* fit_command = c.app.add_subcommand(
      "fit",
      "Fit a model by maximum pseudo-likelihood (the default) or by maximum likelihood through "
      "MCMC (--method mcmle)");
  c.fit_data.add(*fit_command, fit.data);
  fit_command
      ->add_option("-m,--model", fit.model,
                   "The model: a formula as in statnet (\"edges + mutual + gwesp(0.5, "
                   "fixed=TRUE)\") or a comma list of terms")
      ->required();
  fit_command->add_option("--report", fit.report_path,
                          "Write the report of the dialogue's output file to FILE");
  fit_command->add_option("--json", fit.json_path,
                          "Write every result as JSON to FILE (- for "
                          "standard output)");
  fit_command->add_option("--csv", fit.csv_path,
                          "Write the parameters as a tidy CSV table to FILE (- for standard "
                          "output)");
  fit_command->add_flag("-q,--quiet", fit.quiet, "Do not show the summary on standard output");
  fit_command->add_option("--se", fit.errors,
                          "Standard errors: naive (the pseudo-likelihood's), godambe or bootstrap "
                          "(from simulated networks)");
  fit_command->add_option("--replicates", fit.replicates,
                          "Simulated networks for godambe and bootstrap errors (default 500)");
  fit_command->add_option("--method", fit.method, method_help());
  fit_command
      ->add_option("--dyad-sample", fit.sampling.dyad_sample,
                   "Fit the pseudo-likelihood on every linked dyad and M empty dyads drawn with "
                   "--seed, weighted, with their sampling error (default past 10^9 dyads for "
                   "dependent models: 8 max(sqrt(dyads), links, 40); M at least the empty dyads: "
                   "every one, exact)")
      ->check(CLI::Range(std::int64_t{1}, std::numeric_limits<std::int64_t>::max()));
  fit_command->add_option("--offset-coef", fit.offset_coef,
                          "The coefficients of the offset terms (offset(term) in the model), in "
                          "their order, fixed rather than estimated; -Inf and Inf allowed");
  fit_command->add_option(
      "--constraints", fit.constraints,
      "The sample space, as ergm's constraint formula without ~: bd(maxout=, maxin=, "
      "minout=, minin=), blockdiag(\"attr\"), fixallbut(\"free.csv\"), "
      "fixedas(present=\"p.csv\", absent=\"a.csv\"), edges, degrees, odegrees, idegrees, observed, "
      "joined by +");
  fit.mcmle.add(*fit_command);
  fit.ee.add(*fit_command);
  fit.sampling.add(*fit_command);
  fit_command->footer(type_table());
  c.fit_command = fit_command;
}

void add_simulate_and_gof_commands(Commands& c) {
  SimulateCommandOptions& simulate = c.simulate;
  CLI::App* simulate_command =
      c.app.add_subcommand("simulate", "Draw networks from a model at its estimates or --coef");
  c.simulate_data.add(*simulate_command, simulate.data, false);
  add_simulation_options(*simulate_command, simulate);
  simulate_command->add_option("--out", simulate.out_dir,
                               "Folder for the networks, as edge lists network_1.csv, ... (the "
                               "number as wide as the count: network_001.csv of 100): a "
                               "new or empty folder, unless --overwrite");
  simulate_command->add_flag("--overwrite", simulate.overwrite,
                             "Let --out name a folder that holds files: its network_*.csv files "
                             "are replaced, others stay");
  simulate_command->add_option("--stats", simulate.stats_path,
                               "Write the model's statistics of every network as CSV to FILE "
                               "(- for standard output)");
  simulate_command->footer(type_table());
  c.simulate_command = simulate_command;

  SimulateCommandOptions& gof = c.gof;
  CLI::App* gof_command = c.app.add_subcommand(
      "gof", "Goodness of fit: the observed network against networks drawn from the model");
  c.gof_data.add(*gof_command, gof.data, false);
  add_simulation_options(*gof_command, gof);
  gof_command->add_option("--csv", gof.csv_path, "Write every comparison as CSV to FILE");
  gof_command->add_option("--svg", gof.svg_path, "Write the figure as SVG to FILE");
  gof_command->add_option("--html", gof.html_path,
                          "Write the figure and the tables as one HTML page to FILE");
  gof_command->footer(type_table());
  c.gof_command = gof_command;
}

void add_summary_command(Commands& c) {
  SummaryCommandOptions& summary = c.summary;
  CLI::App* summary_command = c.app.add_subcommand(
      "summary", "The observed network statistics of a model, without fitting");
  c.summary_data.add(*summary_command, summary.data);
  summary_command->add_option("-m,--model", summary.model, "The model: a formula or a list")
      ->required();
  summary_command->add_option("--json", summary.json_path,
                              "Write the statistics as JSON to FILE (- for standard output)");
  summary_command->add_option("--csv", summary.csv_path,
                              "Write the statistics as CSV to FILE (- for standard output)");
  summary_command->add_flag("-q,--quiet", summary.quiet, "Do not show the table");
  summary_command->footer(type_table());
  c.summary_command = summary_command;
}

// A first argument that names no command: refused, with the nearest command.
void refuse_unknown_command(const Commands& c, int argc, const char* const* argv) {
  if (argc <= 1 || argv[1][0] == '-') return;
  const std::string given = argv[1];
  std::vector<std::string> names;
  for (const CLI::App* command : c.all()) {
    if (command->get_name() == given) return;
    names.push_back(command->get_name());
  }
  const std::string best = tarnwick::nearest_name(given, names, 3);
  throw tarnwick::ArgumentError("unknown command \"" + given +
                                "\": the commands are fit, simulate, gof and summary" +
                                (best.empty() ? std::string() : ". Did you mean " + best + "?"));
}

// Parses the arguments; answers --help, --help-all and --version, and a parse error, with the
// exit status then; nothing when a command is to run.
std::optional<int> parse(Commands& c, const std::vector<std::string>& arguments, std::ostream& out,
                         std::ostream& err) {
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    c.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    const CLI::App* shown = c.parsed() != nullptr ? c.parsed() : &c.app;
    std::string help = shown->help();
    const std::string usage = "Usage: " + shown->get_name();
    const std::size_t at = help.find(usage);
    if (shown != &c.app && at != std::string::npos) help.insert(at + 7, "tarnwick ");
    out << help;
    return exit_ok;
  } catch (const CLI::CallForAllHelp&) {
    out << c.app.help("", CLI::AppFormatMode::All);
    return exit_ok;
  } catch (const CLI::CallForVersion&) {
    out << "tarnwick " << tarnwick_version << '\n';
    return exit_ok;
  } catch (const CLI::ParseError& e) {
    const CLI::App* command = c.parsed();
    // What the parse left of the arguments, as it left them.
    err << "tarnwick: " << e.what() << suggestion(command ? *command : c.app, reversed)
        << "\nRun 'tarnwick " << (command ? command->get_name() + " " : std::string())
        << "--help' for the options.\n";
    return exit_usage;
  }
  return std::nullopt;
}

int run_parsed(Commands& c, std::ostream& out, std::ostream& err,
               const tarnwick::Processes* processes) {
  if (c.fit_command->parsed()) {
    c.fit_data.finish(c.fit.data);
    c.fit.processes = processes;
    return run_fit_command(c.fit, out, err);
  }
  if (c.gof_command->parsed()) {
    c.gof_data.finish(c.gof.data);
    c.gof.processes = processes;
    return run_gof_command(c.gof, out, err);
  }
  // The rest hand over what they draw or count as they go: the first process does it alone.
  if (processes != nullptr && !processes->writes_results()) return exit_ok;
  if (c.simulate_command->parsed()) {
    c.simulate_data.finish(c.simulate.data);
    return run_simulate_command(c.simulate, out, err);
  }
  if (c.summary_command->parsed()) {
    c.summary_data.finish(c.summary.data);
    return run_summary_command(c.summary, out, err);
  }
  return exit_usage;
}

}  // namespace

int run_command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     const tarnwick::Processes* processes) {
  Commands c;
  c.app.set_version_flag("--version", std::string("tarnwick ") + tarnwick_version);
  c.app.require_subcommand(1);
  add_fit_command(c);
  add_simulate_and_gof_commands(c);
  add_summary_command(c);
  try {
    refuse_unknown_command(c, argc, argv);
    if (const auto answered = parse(c, std::vector<std::string>(argv + 1, argv + argc), out, err)) {
      return *answered;
    }
    return run_parsed(c, out, err, processes);
  } catch (const tarnwick::ArgumentError& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_usage;
  } catch (const tarnwick::ModelError& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_usage;
  } catch (const OutputFailed& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_output_failed;
  } catch (const tarnwick::InputError& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_bad_input;
  } catch (const tarnwick::CapacityError& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_bad_input;
  } catch (const std::bad_alloc&) {
    err << "tarnwick: out of memory\n";
    return exit_internal;
  } catch (const std::exception& e) {
    err << "tarnwick: unexpected error: " << e.what() << '\n';
    return exit_internal;
  }
}

}  // namespace tarn
