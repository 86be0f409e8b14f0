#include "cli/summary_command.h"

#include "cli/exit_status.h"
#include "cli/output_files.h"
#include "io/study_building.h"
#include "network/usage_error.h"
#include "report/statistics_summary.h"
#include "report/warning_text.h"

namespace tarn {

int run_summary_command(const SummaryCommandOptions& o, std::ostream& out, std::ostream& err) {
  if (o.json_path == "-" && o.csv_path == "-") {
    throw UsageError("--json - and --csv - cannot both write to standard output");
  }
  OutputFiles outputs(out);
  for (const auto& [path, option] : o.study.input_files()) outputs.add_input(path, option);
  std::ostream* json = o.json_path.empty() ? nullptr : &outputs.open(o.json_path, "--json");
  std::ostream* csv = o.csv_path.empty() ? nullptr : &outputs.open(o.csv_path, "--csv");
  InputData input = load_input_data(o.study);
  const Study study = build_study(o.model, input, o.study);
  for (const InputFileRecord& file : input.files) {
    if (file.role == "edgecov") outputs.add_input(file.path, "edgecov in --model");
  }
  StatisticsRecord record;
  record.files = input.files;
  record.network = &study.network;
  record.directed = study.directed();
  record.model = &study.model;
  record.values = study.statistics();
  std::vector<Warning> warnings = input.notes;
  for (Warning& w : model_warnings(study.model, o.study)) warnings.push_back(std::move(w));
  record.warnings = worded(warnings);
  if (json != nullptr) write_statistics_json(record, *json);
  if (csv != nullptr) write_statistics_csv(record, *csv);
  outputs.commit();
  if (!o.quiet && o.json_path != "-" && o.csv_path != "-") write_statistics_table(record, out);
  for (const WordedWarning& w : record.warnings) err << "tarnwick: " << w.message << '\n';
  return exit_ok;
}

}  // namespace tarn
