#include "cli/summary_command.h"

#include "cli/exit_status.h"
#include "cli/model_option.h"
#include "cli/output_files.h"
#include "cli/usage_error.h"
#include "report/statistics_summary.h"

namespace tarn {

int run_summary_command(const SummaryCommandOptions& o, std::ostream& out, std::ostream& err) {
  if (o.json_path == "-" && o.csv_path == "-") {
    throw UsageError("--json - and --csv - cannot both write to standard output");
  }
  OutputFiles outputs(out);
  std::ostream* json = o.json_path.empty() ? nullptr : &outputs.open(o.json_path, "--json");
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  InputData input = load_input_data(o.study);
  const Study study = build_study(o.model, input, o.study);
  StatisticsRecord record;
  record.files = input.files;
  record.network = &study.network;
  record.directed = study.directed();
  record.model = &study.model;
  record.values = study.model.network_statistics(study.graph());
  record.warnings = input.notes;
  if (json != nullptr) write_statistics_json(record, *json);
  if (csv != nullptr) write_statistics_csv(record, *csv);
  outputs.commit();
  if (!o.quiet && o.json_path != "-" && o.csv_path != "-") write_statistics_table(record, out);
  for (const FitWarning& w : record.warnings) err << "tarnwick: " << w.message << '\n';
  return exit_ok;
}

}  // namespace tarn
