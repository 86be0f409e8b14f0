#include "report/statistics_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "report/tidy_csv.h"
#include "report/warning_json.h"

namespace tarn {

namespace {

using json = nlohmann::ordered_json;

// Statistic k's name and the text of the term it comes from.
struct Row {
  std::string name, term;
  double value;
};

std::vector<Row> rows_of(const StatisticsRecord& record) {
  std::vector<Row> rows;
  const Model& model = *record.model;
  const std::vector<std::string> names = model.statistic_names();
  for (std::size_t k = 0; k < names.size(); ++k) {
    const int t = model.term_of_statistic(static_cast<int>(k));
    rows.push_back({names[k], model.terms[static_cast<std::size_t>(t)]->text(), record.values[k]});
  }
  return rows;
}

}  // namespace

void write_statistics_json(const StatisticsRecord& record, std::ostream& out) {
  json doc;
  doc["program"] = "tarnwick";
  json input = json::object();
  for (const InputFileRecord& f : record.files) {
    input[f.role] = {{"file", f.path}, {"format", f.format}};
  }
  input["network"]["nodes"] = record.network->node_count;
  input["network"]["links"] = record.network->link_count;
  input["network"]["directed"] = record.directed;
  doc["input"] = input;
  json statistics = json::array();
  for (const Row& row : rows_of(record)) {
    statistics.push_back({{"name", row.name},
                          {"term", row.term},
                          {"value", std::isfinite(row.value) ? json(row.value) : json(nullptr)}});
  }
  doc["statistics"] = statistics;
  doc["warnings"] = warnings_json(record.warnings);
  out << doc.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

void write_statistics_csv(const StatisticsRecord& record, std::ostream& out) {
  out << "name,term,value\n";
  for (const Row& row : rows_of(record)) {
    out << csv_text(row.name) << ',' << csv_text(row.term) << ',' << csv_number(row.value) << '\n';
  }
}

void write_statistics_table(const StatisticsRecord& record, std::ostream& out) {
  const std::vector<Row> rows = rows_of(record);
  std::size_t width = 9;
  for (const Row& row : rows) width = std::max(width, row.name.size());
  char line[512];
  std::snprintf(line, sizeof line, " %-*s %18s\n", static_cast<int>(width), "statistic", "value");
  out << line;
  for (const Row& row : rows) {
    std::snprintf(line, sizeof line, " %-*s %18.10g\n", static_cast<int>(width), row.name.c_str(),
                  row.value);
    out << line;
  }
}

}  // namespace tarn
