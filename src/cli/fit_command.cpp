#include "cli/fit_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <sstream>

#include "cli/exit_status.h"
#include "cli/model_option.h"
#include "cli/output_files.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"
#include "fit/estimate_existence.h"
#include "fit/pseudo_likelihood.h"
#include "model/model_terms.h"
#include "network/file_name.h"
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

// The head lines of the dialogue's output file: the names of the input files, each as a field of
// 24 characters.
void write_report_head(const FitCommandOptions& o, std::ostream& file) {
  file << " Network file:   " << name_field(o.study.network_path) << '\n';
  if (!o.study.attributes_path.empty()) {
    file << " Attribute file: " << name_field(o.study.attributes_path) << '\n';
  }
  if (!o.study.covariate_path.empty()) {
    file << " Comparative file: " << name_field(o.study.covariate_path) << '\n';
  }
}

void write_summary_head(const FitCommandOptions& o, const Study& study, const Model& model,
                        std::ostream& screen) {
  const std::int64_t n = study.network.node_count;
  const std::int64_t dyads = n * (n - 1) + (study.include_diagonal ? n : 0);
  screen << " Network: " << o.study.network_path << " (" << n << " nodes, "
         << study.network.link_count << " links, " << dyads << " dyads)\n Model:  ";
  for (const Parameter& p : model.parameters) screen << ' ' << term_text(p);
  screen << '\n';
}

// The separating direction in words: its largest components, by parameter.
FitWarning no_estimate(const EstimateExistence& e, const Model& model) {
  std::vector<std::size_t> order(e.direction.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&e](std::size_t a, std::size_t b) {
    return std::fabs(e.direction[a]) > std::fabs(e.direction[b]);
  });
  std::string direction;
  for (std::size_t k = 0; k < order.size() && k < 4; ++k) {
    const double d = e.direction[order[k]];
    if (std::fabs(d) < 1e-9) break;
    char value[32];
    std::snprintf(value, sizeof value, "%+.3f", d);
    direction +=
        (direction.empty() ? "" : ", ") + term_text(model.parameters[order[k]]) + " " + value;
  }
  return {"estimate_does_not_exist",
          "The pseudo-likelihood estimate does not exist: the statistics separate the dyads with "
          "a link from those without (" +
              std::to_string(e.separated_dyads) +
              " dyads lie strictly on their side). Along the direction " + direction +
              " the pseudo-likelihood rises without end, so the estimates shown are where the fit "
              "stopped, not estimates. Leave out or change the terms named."};
}

// Lag-1 autocorrelations above one half make for fewer independent draws than networks.
void note_autocorrelation(const SampleSummary& sample, const Model& model,
                          std::vector<FitWarning>& warnings) {
  std::string high;
  for (std::size_t p = 0; p < sample.lag1_autocorrelation.size(); ++p) {
    const double r = sample.lag1_autocorrelation[p];
    if (!(r > 0.5)) continue;
    char value[16];
    std::snprintf(value, sizeof value, "%.2f", r);
    high += (high.empty() ? "" : ", ") + term_text(model.parameters[p]) + " " + value;
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

  const Study study = load_study(o.study);
  const Model model = model_for(o.model, study, !o.study.covariate_path.empty());
  if (method != ErrorMethod::naive) check_can_simulate(model, study);

  FitData data;
  data.source = {&study.network, &model, study.blocks ? &*study.blocks : nullptr,
                 study.comparative ? &*study.comparative : nullptr};
  data.include_diagonal = study.include_diagonal;
  const auto result = std::make_unique<FitResult>(fit_pseudo_likelihood(data));
  std::vector<FitWarning> warnings = fit_warnings(*result);
  bool degenerate = false;
  if (result->end != FitEnd::dependent) {
    const EstimateExistence existence = check_estimate_existence(data);
    if (!existence.exists) {
      warnings.push_back(no_estimate(existence, model));
      degenerate = true;
    }
  }

  ParameterErrors errors = naive_errors(*result);
  if (method != ErrorMethod::naive && fit_converged(*result) && !degenerate) {
    const SamplerSettings settings = o.sampling.settings(study);
    SimulationErrors simulated;
    {
      ProgressBar bar(err,
                      method == ErrorMethod::godambe ? "simulating networks"
                                                     : "simulating and refitting networks",
                      o.replicates, !o.quiet && standard_error_is_terminal());
      simulated = simulation_errors(method, data, *result, o.replicates, settings, &bar.counter());
    }
    if (simulated.sample.degeneracy.found) {
      warnings.push_back(
          {simulated.sample.degeneracy.warning_code(), simulated.sample.degeneracy.message()});
      degenerate = true;
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
  if (summary_shown) write_summary_head(o, study, model, screen);
  if (report != nullptr) write_report_head(o, *report);
  if (result->end == FitEnd::completed) {
    write_report(model, study.blocking, *result, errors, screen, report ? *report : nowhere);
  }

  FitRecord record;
  record.files = study.files;
  record.network = &study.network;
  record.labels = &study.labels;
  record.include_diagonal = study.include_diagonal;
  record.model = &model;
  record.blocking = study.blocking.in_use() ? &study.blocking : nullptr;
  record.blocking_attribute_name = study.blocking_attribute_name();
  record.result = result.get();
  record.errors = &errors;
  record.warnings = warnings;
  record.warnings.insert(record.warnings.end(), study.notes.begin(), study.notes.end());
  if (json != nullptr) write_fit_json(record, *json);
  if (csv != nullptr) write_tidy_csv(record, *csv);
  outputs.commit();

  if (summary_shown) out << screen.str() << std::flush;
  for (const FitWarning& w : record.warnings) err << "tarnwick: " << w.message << '\n';
  return fit_converged(*result) && !degenerate ? exit_ok : exit_fit_problem;
}

}  // namespace tarn
