#include "tarnwick/statistics.h"

#include <sstream>

#include "api/api_errors.h"
#include "api/model_data.h"
#include "api/records.h"
#include "report/statistics_summary.h"

namespace tarnwick {

std::vector<Statistic> summary(const Network& network, const std::string& formula) {
  return statistics_report(build_model(network, formula)).statistics;
}

StatisticsReport statistics_report(const Model& model) {
  return tarn::with_library_errors([&] {
    const Model::Data& data = model.data();
    const tarn::Study& study = data.study;
    tarn::StatisticsRecord record;
    record.files = data.input.files;
    record.network = &study.network;
    record.directed = study.directed();
    record.model = &study.model;
    record.values = study.statistics();
    record.warnings = tarn::worded(tarn::model_notes(data));
    StatisticsReport report;
    const std::vector<std::string> names = study.model.statistic_names();
    for (std::size_t k = 0; k < record.values.size(); ++k) {
      report.statistics.push_back({names[k], record.values[k]});
    }
    std::ostringstream table, json, csv;
    tarn::write_statistics_table(record, table);
    tarn::write_statistics_json(record, json);
    tarn::write_statistics_csv(record, csv);
    report.table = table.str();
    report.json = json.str();
    report.csv = csv.str();
    report.warnings = tarn::records_of(record.warnings, "data");
    return report;
  });
}

}  // namespace tarnwick
