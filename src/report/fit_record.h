#pragma once
// Everything one fit of the command line knows, gathered for the results files (JSON, CSV):
// the input files, the network's size, the model, the fit's result, its standard errors and
// its warnings. It holds references to the values the front end keeps.

#include <string>
#include <vector>

#include "fit/fit_result.h"
#include "fit/fit_warnings.h"
#include "fit/parameter_errors.h"
#include "model/blocking.h"
#include "model/model.h"
#include "network/network.h"
#include "network/node_labels.h"

namespace tarn {

struct InputFileRecord {
  std::string role;  // network, attributes, covariate, block_structure
  std::string path;
  std::string format;  // record, csv, tsv, blank, pajek, matrix
};

struct FitRecord {
  std::vector<InputFileRecord> files;
  const Network* network = nullptr;
  const NodeLabels* labels = nullptr;
  bool include_diagonal = false;
  const Model* model = nullptr;
  const Blocking* blocking = nullptr;   // null without blocking
  std::string blocking_attribute_name;  // as the attribute file names it, or empty
  const FitResult* result = nullptr;
  const ParameterErrors* errors = nullptr;
  std::vector<double> observed_statistics;  // the model's statistics of the network
  std::vector<FitWarning> warnings;
};

}  // namespace tarn
