#pragma once
// Everything one fit of the command line knows, gathered for the results files (JSON, CSV):
// the input files, the network's size, the model, the fit's result, its standard errors and
// its warnings. It holds references to the values the front end keeps.

#include <optional>
#include <string>
#include <vector>

#include "estimate/estimate.h"
#include "mple/fit_result.h"
#include "mple/fit_warnings.h"
#include "mple/parameter_errors.h"
#include "io/input_data.h"
#include "mcmle/mcmle.h"
#include "model/blocking.h"
#include "model/model.h"
#include "model/study.h"
#include "network/network.h"
#include "network/node_labels.h"
#include "network/warning.h"

namespace tarn {

// A warning with the words the front end gave it.
struct WordedWarning {
  Warning warning;
  std::string message;
};

struct FitRecord {
  std::vector<InputFileRecord> files;
  // The command's model as given and its data options as arguments (the network first), so that
  // a later command can take the fit up again (simulate --fit, gof --fit).
  std::string model_text;
  std::vector<std::string> data_arguments;
  const Network* network = nullptr;
  const NodeLabels* labels = nullptr;
  bool include_diagonal = false;
  const Model* model = nullptr;
  const Blocking* blocking = nullptr;   // null without blocking
  std::string blocking_attribute_name;  // as the attribute file names it, or empty
  const FitResult* result = nullptr;
  const ParameterErrors* errors = nullptr;
  std::vector<double> observed_statistics;  // the model's statistics of the network
  bool estimate_exists = true;              // false when the existence check found none
  std::vector<WordedWarning> warnings;
  // Maximum likelihood by MCMC, when the fit was made by it: `result` and `errors` then hold its
  // estimate and covariance, and the pseudo-likelihood figures of `result` are not reported.
  const McmleResult* mcmle = nullptr;
  // The log-likelihood at the estimate: exact for a dyad-independent model, bridged for MCMLE;
  // nothing for a pseudo-likelihood fit of a dependent model.
  std::optional<double> log_likelihood;

  // The estimator's name; its outcome (empty: the pseudo-likelihood's, of `result`); its Monte
  // Carlo error shares (empty: none); its own record for the results, under its name.
  std::string method = "mple";
  bool pseudo_likelihood_figures = true;  // Estimate::pseudo_likelihood_figures
  std::string outcome;
  std::vector<double> mcmc_error_percent;
  nlohmann::ordered_json details;

  // Akaike's and Schwarz's criteria from the log-likelihood (the dyads as observations).
  std::optional<double> aic() const;
  std::optional<double> bic() const;
};

// How the fit ended (Estimate::outcome).
std::string fit_outcome(const FitRecord& record);

// The record of `estimate`, a fit of `study` (built from `input` and `options` with the model
// `model_text`), its warnings worded: the estimate's, then the data's notes, then what the model
// leaves unused of the options. It refers to its arguments, which must outlive it.
FitRecord fit_record_of(const Estimate& estimate, const Study& study, const InputData& input,
                        const StudyOptions& options, const std::string& model_text);

}  // namespace tarn
