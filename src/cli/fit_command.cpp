#include "cli/fit_command.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "cli/checked_fit.h"
#include "cli/exit_status.h"
#include "cli/model_option.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"
#include "fit/fit_summary.h"
#include "fit/pseudo_likelihood.h"
#include "report/classic_report.h"
#include "report/json_results.h"
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

void write_summary_head(const FitCommandOptions& o, const Study& study, const FitResult& result,
                        std::ostream& screen) {
  screen << " Network: " << o.study.network_path << " (" << study.network.node_count << " nodes, "
         << study.network.link_count << " links, " << result.dyad_count << " dyads)\n Model:  ";
  for (const TermPointer& term : study.model.terms) screen << ' ' << term->text();
  screen << '\n';
}

// The estimates of a model that the dialogue's report cannot show (terms other than the sixteen
// types): statistic, estimate, standard error, z and p-value.
void write_general_summary(const Model& model, const FitResult& result,
                           const ParameterErrors& errors, std::ostream& screen) {
  const std::vector<std::string> names = model.statistic_names();
  std::size_t width = 9;
  for (const std::string& name : names) width = std::max(width, name.size());
  char line[256];
  std::snprintf(line, sizeof line, "\n %-*s %12s %12s %9s %10s\n", static_cast<int>(width),
                "statistic", "estimate", "std. error", "z", "p-value");
  screen << line;
  const std::vector<ParameterRow> rows = parameter_rows(result, errors);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    std::snprintf(line, sizeof line, " %-*s %12.5f %12.5f %9.3f %10.4g\n", static_cast<int>(width),
                  names[k].c_str(), rows[k].estimate, rows[k].std_error, rows[k].z,
                  rows[k].p_value);
    screen << line;
  }
}

// Lag-1 autocorrelations above one half make for fewer independent draws than networks.
void note_autocorrelation(const SampleSummary& sample, const Model& model,
                          std::vector<FitWarning>& warnings) {
  const std::vector<std::string> names = model.statistic_names();
  std::string high;
  for (std::size_t p = 0; p < sample.lag1_autocorrelation.size(); ++p) {
    const double r = sample.lag1_autocorrelation[p];
    if (!(r > 0.5)) continue;
    char value[16];
    std::snprintf(value, sizeof value, "%.2f", r);
    high += (high.empty() ? "" : ", ") + names[p] + " " + value;
  }
  if (high.empty()) return;
  warnings.push_back({"autocorrelated_sample",
                      "Consecutive simulated networks are strongly correlated (lag-1 "
                      "autocorrelation " +
                          high +
                          "): the errors rest on fewer independent "
                          "draws than networks. A longer --interval gives more."});
}

}  // namespace

int run_fit_command(const FitCommandOptions& o, std::ostream& out, std::ostream& err) {
  const ErrorMethod method = error_method(o.errors);
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
  std::ostream* report = o.report_path.empty() ? nullptr : &outputs.open(o.report_path, "--report");
  std::ostream* json = o.json_path.empty() ? nullptr : &outputs.open(o.json_path, "--json");
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  const bool summary_shown = !o.quiet && o.json_path != "-" && o.csv_path != "-";

  InputData input = load_input_data(o.study);
  const Study study = build_study(o.model, input, o.study);
  const Model& model = study.model;
  if (report != nullptr && !model.kernel) {
    throw UsageError(
        "--report writes the dialogue's report, of the sixteen configuration types "
        "only; give --json or --csv for this model");
  }
  if (method != ErrorMethod::naive) check_can_simulate(study);

  const CheckedFit fit = fit_and_check(study);
  const FitResult& result = fit.result;
  std::vector<FitWarning> warnings = fit.warnings;
  bool sample_degenerate = false;

  ParameterErrors errors = naive_errors(result);
  if (method != ErrorMethod::naive && fit.usable()) {
    const SamplerSettings settings = o.sampling.settings(study);
    SimulationErrors simulated;
    {
      ProgressBar bar(err,
                      method == ErrorMethod::godambe ? "simulating networks"
                                                     : "simulating and refitting networks",
                      o.replicates, !o.quiet && standard_error_is_terminal());
      simulated = simulation_errors(method, study, result, o.replicates, settings, &bar.counter());
    }
    if (simulated.sample.degeneracy.found) {
      warnings.push_back(
          {simulated.sample.degeneracy.warning_code(), simulated.sample.degeneracy.message()});
      sample_degenerate = true;
    } else if (simulated.too_few_replicates) {
      warnings.push_back({"errors_not_simulated",
                          "The " + o.errors + " errors were not computed: only " +
                              std::to_string(o.replicates - simulated.failed_refits) + " of " +
                              std::to_string(o.replicates) +
                              " replicates could be used; the errors shown are the naive ones."});
    } else {
      errors = simulated.errors;
      note_autocorrelation(simulated.sample, model, warnings);
    }
  } else if (method != ErrorMethod::naive) {
    warnings.push_back(
        {"errors_not_simulated", "The " + o.errors +
                                     " errors were not computed: the fit gave no estimate "
                                     "to simulate from; the errors shown are the naive ones."});
  }

  std::ostringstream screen;
  std::ostream nowhere(nullptr);
  if (summary_shown) write_summary_head(o, study, result, screen);
  if (report != nullptr) write_report_head(o, *report);
  if (result.end == FitEnd::completed && model.kernel) {
    write_report(*model.kernel, input.blocking, result, errors, screen, report ? *report : nowhere);
  } else if (result.end == FitEnd::completed) {
    write_general_summary(model, result, errors, screen);
  }

  FitRecord record;
  record.files = input.files;
  record.network = &study.network;
  record.labels = &input.labels;
  record.include_diagonal = study.include_diagonal;
  record.model = &model;
  record.blocking = input.blocking.in_use() ? &input.blocking : nullptr;
  record.blocking_attribute_name = input.blocking_attribute_name();
  record.observed_statistics = model.network_statistics(study.graph());
  record.result = &result;
  record.errors = &errors;
  record.warnings = warnings;
  record.warnings.insert(record.warnings.end(), input.notes.begin(), input.notes.end());
  if (json != nullptr) write_fit_json(record, *json);
  if (csv != nullptr) write_tidy_csv(record, *csv);
  outputs.commit();

  if (summary_shown) out << screen.str() << std::flush;
  for (const FitWarning& w : record.warnings) err << "tarnwick: " << w.message << '\n';
  return fit.usable() && !sample_degenerate ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
