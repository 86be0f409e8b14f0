#pragma once
// The observed network statistics of a formula, as statnet's summary(formula): per statistic its
// name, the term it comes from and its value, as JSON, as CSV and as a table for the screen.

#include <ostream>

#include "tarnwick/results/simulation.h"

namespace tarn {

// {"program", "input", "statistics": [{"name", "term", "value"}], "warnings"}.
void write_statistics_json(const tarnwick::StatisticsReport& report, std::ostream& out);
// name,term,value.
void write_statistics_csv(const tarnwick::StatisticsReport& report, std::ostream& out);
void write_statistics_table(const tarnwick::StatisticsReport& report, std::ostream& out);

}  // namespace tarn
