#include "report/statistics_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "report/tidy_csv.h"
#include "report/warning_json.h"

namespace tarn {

using json = nlohmann::ordered_json;

void write_statistics_json(const tarnwick::StatisticsReport& report, std::ostream& out) {
  json doc;
  doc["program"] = "tarnwick";
  json input = json::object();
  for (const tarnwick::InputFileRecord& f : report.files) {
    input[f.role] = {{"file", f.path}, {"format", f.format}};
  }
  input["network"]["nodes"] = report.nodes;
  input["network"]["links"] = report.links;
  input["network"]["directed"] = report.directed;
  if (report.bipartite > 0) input["network"]["bipartite"] = report.bipartite;
  if (report.missing_dyads > 0) input["network"]["missing_dyads"] = report.missing_dyads;
  doc["input"] = input;
  json statistics = json::array();
  for (const tarnwick::StatisticRow& row : report.statistics) {
    statistics.push_back({{"name", row.name},
                          {"term", row.term},
                          {"value", std::isfinite(row.value) ? json(row.value) : json(nullptr)}});
  }
  doc["statistics"] = statistics;
  doc["warnings"] = warnings_json(report.warnings);
  out << doc.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

void write_statistics_csv(const tarnwick::StatisticsReport& report, std::ostream& out) {
  out << "name,term,value\n";
  for (const tarnwick::StatisticRow& row : report.statistics) {
    out << csv_text(row.name) << ',' << csv_text(row.term) << ',' << csv_number(row.value) << '\n';
  }
}

void write_statistics_table(const tarnwick::StatisticsReport& report, std::ostream& out) {
  std::size_t width = 9;
  for (const tarnwick::StatisticRow& row : report.statistics) {
    width = std::max(width, row.name.size());
  }
  char line[512];
  std::snprintf(line, sizeof line, " %-*s %18s\n", static_cast<int>(width), "statistic", "value");
  out << line;
  for (const tarnwick::StatisticRow& row : report.statistics) {
    std::snprintf(line, sizeof line, " %-*s %18.10g\n", static_cast<int>(width), row.name.c_str(),
                  row.value);
    out << line;
  }
  if (report.bipartite > 0) out << "bipartite: " << report.bipartite << '\n';
  if (report.missing_dyads > 0) out << "missing dyads: " << report.missing_dyads << '\n';
}

}  // namespace tarn
