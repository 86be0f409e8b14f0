#include "report/fit_record.h"

#include <cmath>

#include "io/data_arguments.h"
#include "io/study_building.h"
#include "report/warning_text.h"

namespace tarn {

std::optional<double> FitRecord::aic() const {
  if (!log_likelihood) return std::nullopt;
  return -2.0 * *log_likelihood + 2.0 * result->parameter_count;
}

std::optional<double> FitRecord::bic() const {
  if (!log_likelihood) return std::nullopt;
  return -2.0 * *log_likelihood +
         result->parameter_count * std::log(static_cast<double>(result->dyad_count));
}

std::string fit_outcome(const FitRecord& record) {
  return record.outcome.empty() ? pseudo_likelihood_outcome(*record.result, record.estimate_exists)
                                : record.outcome;
}

FitRecord fit_record_of(const Estimate& estimate, const Study& study, const InputData& input,
                        const StudyOptions& options, const std::string& model_text) {
  const Model& model = study.model;
  std::vector<Warning> warnings = estimate.warnings;
  warnings.insert(warnings.end(), input.notes.begin(), input.notes.end());
  for (Warning& w : model_warnings(model, options)) warnings.push_back(std::move(w));
  FitRecord record;
  record.files = input.files;
  record.model_text = model_text;
  record.data_arguments = data_arguments(options);
  record.network = &study.network;
  record.labels = &input.labels;
  record.include_diagonal = study.include_diagonal;
  record.model = &model;
  record.blocking = input.blocking.in_use() ? &input.blocking : nullptr;
  record.blocking_attribute_name = input.blocking_attribute_name();
  record.observed_statistics = model.coefficient_statistics(study.statistics());
  record.result = &estimate.result;
  record.errors = &estimate.errors;
  record.estimate_exists = estimate.estimate_exists;
  record.warnings = worded(warnings);
  record.mcmle = estimate.mcmle.get();
  record.method = estimate.method;
  record.pseudo_likelihood_figures = estimate.pseudo_likelihood_figures;
  record.outcome = estimate.outcome;
  record.mcmc_error_percent = estimate.mcmc_error_percent;
  record.details = estimate.details;
  record.log_likelihood = estimate.log_likelihood;
  return record;
}

}  // namespace tarn
