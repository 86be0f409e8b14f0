#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/fit_command.h"
#include "cli/simulate_command.h"
#include "cli/summary_command.h"
#include "cli/usage_error.h"
#include "network/edit_distance.h"
#include "network/fatal_error.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

// For an argument that no option takes: the nearest option name of the command, if any is near.
std::string suggestion(const CLI::App& command, const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument.rfind("--", 0) != 0) continue;
    const std::string given = argument.substr(0, argument.find('='));
    if (command.get_option_no_throw(given) != nullptr) continue;  // an option, not a typo
    std::string best;
    std::size_t best_distance = 4;
    for (const CLI::Option* option : command.get_options()) {
      for (const std::string& name : option->get_lnames()) {
        const std::size_t d = edit_distance(given, "--" + name);
        if (d < best_distance) best_distance = d, best = "--" + name;
      }
    }
    if (!best.empty()) return ". Did you mean " + best + "?";
  }
  return std::string();
}

std::optional<NetworkFormat> format_option(const std::string& text) {
  if (text.empty()) return std::nullopt;
  if (auto format = network_format_named(text)) return format;
  throw UsageError("--format " + text + ": give record, csv, tsv, blank or pajek");
}

HeaderRule header_option(const std::string& text) {
  if (text == "auto") return HeaderRule::detect;
  if (text == "yes") return HeaderRule::present;
  if (text == "no") return HeaderRule::absent;
  throw UsageError("--header " + text + ": give auto, yes or no");
}

// --columns SENDER,RECEIVER[,VALUE]: two or three names or numbers.
std::vector<std::string> columns_option(const std::string& text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  const bool empty_item =
      std::any_of(items.begin(), items.end(), [](const std::string& item) { return item.empty(); });
  if (items.size() < 2 || items.size() > 3 || empty_item) {
    throw UsageError("--columns " + text +
                     ": give SENDER,RECEIVER or SENDER,RECEIVER,VALUE "
                     "(header names or 1-based column numbers)");
  }
  return items;
}

// The options that name the data, shared by fit, simulate and gof.
struct DataOptions {
  std::string format, header = "auto", columns;
  int attribute_count = -1;
  int node_count = 0;

  void add(CLI::App& command, StudyOptions& s) {
    command
        .add_option("network", s.network_path,
                    "The network: a record-format file, an edge list (CSV, TSV or blank-"
                    "separated: sender, receiver, optional value) or a Pajek .net file")
        ->required();
    command.add_flag("--diagonal", s.diagonal, "Include the self-pairs (i, i) as dyads");
    command.add_flag("--undirected", s.undirected,
                     "The network is undirected: rows i,j and j,i are one edge, the dyads are "
                     "the n(n-1)/2 pairs");
    command.add_option("--format", format,
                       "Format of the network file: record, csv, tsv, blank or pajek "
                       "(default: from its content and name)");
    command.add_option("--header", header,
                       "Whether an edge list's first line is a header: auto, yes or no "
                       "(default auto)");
    command.add_option("--columns", columns,
                       "The columns of an edge list: SENDER,RECEIVER[,VALUE], as names of its "
                       "header or 1-based numbers (default: from the header's names, else 1,2,3)");
    command
        .add_option("--nodes", node_count,
                    "The nodes of an edge list are 1..N, with or without links (its labels "
                    "must be those numbers)")
        ->check(CLI::Range(1, 2000));
    command.add_flag("--labels", s.labels,
                     "The ids of an edge list are labels, numbers too (as networkx reads them): "
                     "the nodes are those the file names, numbered in order of appearance");
    command.add_option("--attributes", s.attributes_path,
                       "Node attributes: a record-format file or a table with a header (id "
                       "column first)");
    command.add_option("--attribute-count", attribute_count,
                       "Values per record of a record-format attribute file (default: from its "
                       "format line)");
    command.add_option("--block-by", s.block_by,
                       "The blocking attribute: its number or its column name");
    command.add_option("--block-structure", s.block_structure_path,
                       "The block structure: a matrix of block types 0..16, one row per block "
                       "(default: one block type, within blocks)");
    command.add_option("--covariate", s.covariate_path,
                       "The comparative network whose values are the covariate (type 16)");
  }
  void finish(StudyOptions& s) const {
    s.format = format_option(format);
    s.header = header_option(header);
    s.columns = columns_option(columns);
    s.node_count = node_count;
    if (attribute_count >= 0) s.attribute_count = attribute_count;
  }
};

// The options that simulate and gof share: the model, the coefficients, the sample's size and
// settings, and -q.
void add_simulation_options(CLI::App& command, SimulateCommandOptions& o) {
  command.add_option("-m,--model", o.model, "The model: comma-separated terms")->required();
  command.add_option("--coef", o.coef,
                     "Coefficients, one per term (default: the fitted estimates)");
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
  for (int t = 1; t <= type_count; ++t) {
    const auto type = static_cast<ConfigurationType>(t);
    text += "  " + std::to_string(t) + (t < 10 ? "   " : "  ") + std::string(short_name(type)) +
            std::string(14 - short_name(type).size(), ' ') + std::string(menu_label(type)) + "\n";
  }
  text += "Other terms (ergm's names and definitions; the user guide has the table):\n ";
  std::size_t column = 1;
  for (const TermEntry* entry : term_table()) {
    if (entry->arguments.empty() && type_of_name(entry->name)) continue;
    std::string item = " " + std::string(entry->name);
    if (!entry->arguments.empty()) item += "(" + std::string(entry->arguments) + ")";
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

int run_command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app(
      "Tarnwick: pseudo-likelihood fits of random-graph models (p*, ERGM) to one "
      "network, directed or (--undirected) undirected.\nWithout arguments it runs the "
      "interactive dialogue.",
      "tarnwick");
  app.set_version_flag("--version", std::string("tarnwick ") + tarnwick_version);
  app.require_subcommand(1);

  FitCommandOptions fit;
  DataOptions fit_data;
  CLI::App* fit_command = app.add_subcommand("fit", "Fit a model by maximum pseudo-likelihood");
  fit_data.add(*fit_command, fit.study);
  fit_command->add_option("-m,--model", fit.model, "The model: comma-separated terms")->required();
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
  fit_command->add_option("--method", fit.method,
                          "mple (pseudo-likelihood, the default) or mcmle (maximum likelihood "
                          "by MCMC)");
  fit.mcmle.add(*fit_command);
  fit.sampling.add(*fit_command);
  fit_command->footer(type_table());

  SimulateCommandOptions simulate;
  DataOptions simulate_data;
  CLI::App* simulate_command =
      app.add_subcommand("simulate", "Draw networks from a model at its estimates or --coef");
  simulate_data.add(*simulate_command, simulate.study);
  add_simulation_options(*simulate_command, simulate);
  simulate_command->add_option("--out", simulate.out_dir,
                               "Folder for the networks, as edge lists network_001.csv, ...: a "
                               "new or empty folder, unless --overwrite");
  simulate_command->add_flag("--overwrite", simulate.overwrite,
                             "Let --out name a folder that holds files: its network_*.csv files "
                             "are replaced, others stay");
  simulate_command->add_option("--stats", simulate.stats_path,
                               "Write the model's statistics of every network as CSV to FILE "
                               "(- for standard output)");
  simulate_command->footer(type_table());

  SimulateCommandOptions gof;
  DataOptions gof_data;
  CLI::App* gof_command = app.add_subcommand(
      "gof", "Goodness of fit: the observed network against networks drawn from the model");
  gof_data.add(*gof_command, gof.study);
  add_simulation_options(*gof_command, gof);
  gof_command->add_option("--csv", gof.csv_path, "Write every comparison as CSV to FILE");
  gof_command->add_option("--svg", gof.svg_path, "Write the figure as SVG to FILE");
  gof_command->add_option("--html", gof.html_path,
                          "Write the figure and the tables as one HTML page to FILE");
  gof_command->footer(type_table());
  SummaryCommandOptions summary;
  DataOptions summary_data;
  CLI::App* summary_command =
      app.add_subcommand("summary", "The observed network statistics of a model, without fitting");
  summary_data.add(*summary_command, summary.study);
  summary_command->add_option("-m,--model", summary.model, "The model: a formula or a list")
      ->required();
  summary_command->add_option("--json", summary.json_path,
                              "Write the statistics as JSON to FILE (- for standard output)");
  summary_command->add_option("--csv", summary.csv_path,
                              "Write the statistics as CSV to FILE (- for standard output)");
  summary_command->add_flag("-q,--quiet", summary.quiet, "Do not show the table");
  summary_command->footer(type_table());
  const std::vector<CLI::App*> commands = {fit_command, simulate_command, gof_command,
                                           summary_command};
  auto parsed_command = [&commands]() -> CLI::App* {
    for (CLI::App* c : commands)
      if (c->parsed()) return c;
    return nullptr;
  };

  try {
    if (argc > 1 && argv[1][0] != '-') {
      const std::string given = argv[1];
      std::string best;
      std::size_t best_distance = 3;
      for (const CLI::App* c : commands) {
        if (c->get_name() == given) best_distance = 0;
        const std::size_t d = edit_distance(given, c->get_name());
        if (d < best_distance) best_distance = d, best = c->get_name();
      }
      if (best_distance > 0) {
        throw UsageError("unknown command \"" + given +
                         "\": the commands are fit, simulate, gof and summary" +
                         (best.empty() ? std::string() : ". Did you mean " + best + "?"));
      }
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::reverse(arguments.begin(), arguments.end());
    try {
      app.parse(arguments);
    } catch (const CLI::CallForHelp&) {
      const CLI::App* shown = parsed_command() != nullptr ? parsed_command() : &app;
      std::string help = shown->help();
      const std::string usage = "Usage: " + shown->get_name();
      const std::size_t at = help.find(usage);
      if (shown != &app && at != std::string::npos) help.insert(at + 7, "tarnwick ");
      out << help;
      return exit_ok;
    } catch (const CLI::CallForAllHelp&) {
      out << app.help("", CLI::AppFormatMode::All);
      return exit_ok;
    } catch (const CLI::CallForVersion&) {
      out << "tarnwick " << tarnwick_version << '\n';
      return exit_ok;
    } catch (const CLI::ParseError& e) {
      const CLI::App* command = parsed_command();
      err << "tarnwick: " << e.what() << suggestion(command ? *command : app, arguments)
          << "\nRun 'tarnwick " << (command ? command->get_name() + " " : std::string())
          << "--help' for the options.\n";
      return exit_usage;
    }
    if (fit_command->parsed()) {
      fit_data.finish(fit.study);
      return run_fit_command(fit, out, err);
    }
    if (simulate_command->parsed()) {
      simulate_data.finish(simulate.study);
      return run_simulate_command(simulate, out, err);
    }
    if (gof_command->parsed()) {
      gof_data.finish(gof.study);
      return run_gof_command(gof, out, err);
    }
    if (summary_command->parsed()) {
      summary_data.finish(summary.study);
      return run_summary_command(summary, out, err);
    }
    return exit_usage;
  } catch (const UsageError& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_usage;
  } catch (const OutputError& e) {
    err << "tarnwick: " << e.what() << '\n';
    return exit_output_failed;
  } catch (const FatalError& e) {
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
