#pragma once
// The observed network statistics of a model, as the command line's summary writes them.

#include <string>
#include <vector>

#include "tarnwick/model.h"
#include "tarnwick/network.h"

namespace tarnwick {

struct StatisticsReport {
  std::vector<Statistic> statistics;
  std::string table;                    // for the screen
  std::string json;                     // {"program", "input", "statistics", "warnings"}
  std::string csv;                      // name,term,value
  std::vector<WarningRecord> warnings;  // the model's notes
};

StatisticsReport statistics_report(const Model& model);

}  // namespace tarnwick
