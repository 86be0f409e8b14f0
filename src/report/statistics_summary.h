#pragma once
// The observed network statistics of a formula, as statnet's summary(formula): per statistic its
// name, the term it comes from and its value, as JSON and as CSV.

#include <ostream>
#include <string>
#include <vector>

#include "report/fit_record.h"

namespace tarn {

struct StatisticsRecord {
  std::vector<InputFileRecord> files;
  const Network* network = nullptr;
  bool directed = true;
  const Model* model = nullptr;
  std::vector<double> values;  // one per statistic
  std::vector<WordedWarning> warnings;
};

// {"program", "input", "statistics": [{"name", "term", "value"}], "warnings"}.
void write_statistics_json(const StatisticsRecord& record, std::ostream& out);
// name,term,value.
void write_statistics_csv(const StatisticsRecord& record, std::ostream& out);
// The same as a table for the screen.
void write_statistics_table(const StatisticsRecord& record, std::ostream& out);

}  // namespace tarn
