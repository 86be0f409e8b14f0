#include "cli/summary_command.h"

#include "cli/exit_status.h"
#include "cli/output_files.h"
#include "tarnwick/errors.h"
#include "tarnwick/model.h"
#include "tarnwick/reporting.h"
#include "tarnwick/statistics.h"

namespace tarn {

int run_summary_command(const SummaryCommandOptions& o, std::ostream& out, std::ostream& err) {
  if (o.json_path == "-" && o.csv_path == "-") {
    throw tarnwick::ArgumentError("--json - and --csv - cannot both write to standard output");
  }
  OutputFiles outputs(out);
  for (const auto& [path, option] : tarnwick::input_files(o.data)) outputs.add_input(path, option);
  std::ostream* json = o.json_path.empty() ? nullptr : &outputs.open(o.json_path, "--json");
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  const tarnwick::Model model = tarnwick::build_model(tarnwick::read_network(o.data), o.model);
  for (const auto& [path, option] : model.input_files()) outputs.add_input(path, option);
  const tarnwick::StatisticsReport report = tarnwick::statistics_report(model);
  if (json != nullptr) *json << tarnwick::statistics_json(report);
  if (csv != nullptr) *csv << tarnwick::statistics_csv(report);
  outputs.commit();
  if (!o.quiet && o.json_path != "-" && o.csv_path != "-") {
    out << tarnwick::statistics_table(report);
  }
  for (const tarnwick::WarningRecord& w : report.warnings) {
    err << "tarnwick: " << w.message << '\n';
  }
  return exit_ok;
}

}  // namespace tarn
