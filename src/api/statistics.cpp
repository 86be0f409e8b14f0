#include "tarnwick/statistics.h"

#include "api/api_errors.h"
#include "api/model_data.h"
#include "api/records.h"
#include "api/valued_model.h"

namespace tarnwick {

std::vector<Statistic> summary(const Network& network, const std::string& formula) {
  std::vector<Statistic> statistics;
  for (const StatisticRow& row : statistics_report(build_model(network, formula)).statistics) {
    statistics.push_back({row.name, row.value});
  }
  return statistics;
}

StatisticsReport statistics_report(const Model& model) {
  return tarn::with_library_errors([&] {
    const Model::Data& data = model.data();
    if (data.valued) return tarn::valued_statistics_report(data);
    const tarn::Study& study = data.study;
    StatisticsReport report;
    for (const tarn::InputFileRecord& f : data.input.files) {
      report.files.push_back({f.role, f.path, f.format});
    }
    report.nodes = study.network.node_count;
    report.links = study.network.link_count;
    report.directed = study.directed();
    report.bipartite = study.network.bipartite;
    report.missing_dyads = static_cast<std::int64_t>(data.input.missing_dyads.size());
    const std::vector<std::string> names = study.model.statistic_names();
    const std::vector<double> values = study.statistics();
    for (std::size_t k = 0; k < values.size(); ++k) {
      const int t = study.model.term_of_statistic(static_cast<int>(k));
      report.statistics.push_back(
          {names[k], study.model.terms[static_cast<std::size_t>(t)]->text(), values[k]});
    }
    report.warnings = tarn::records_of(tarn::model_notes(data), "data");
    return report;
  });
}

}  // namespace tarnwick
