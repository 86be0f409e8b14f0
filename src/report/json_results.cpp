#include "report/json_results.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <variant>

#include "mple/fit_summary.h"
#include "report/warning_json.h"

namespace tarn {

namespace {

using json = nlohmann::ordered_json;

json finite_or_null(double value) {
  return std::isfinite(value) ? json(value) : json(nullptr);
}

json matrix(const ParamMatrix& m, int order, bool correlations) {
  json rows = json::array();
  for (int r = 1; r <= order; ++r) {
    json row = json::array();
    for (int c = 1; c <= order; ++c)
      row.push_back(finite_or_null(correlations ? correlation(m, r, c) : m(r, c)));
    rows.push_back(row);
  }
  return rows;
}

json input_section(const FitRecord& record) {
  json input = json::object();
  for (const InputFileRecord& f : record.files) {
    input[f.role] = {{"file", f.path}, {"format", f.format}};
  }
  const Network& net = *record.network;
  input["network"]["nodes"] = net.node_count;
  input["network"]["links"] = net.link_count;
  input["network"]["dyads"] = record.result->dyad_count;
  input["network"]["diagonal"] = record.include_diagonal;
  input["network"]["directed"] = record.model->directed;
  return input;
}

json blocking_section(const FitRecord& record) {
  if (record.blocking == nullptr || !record.blocking->in_use()) return nullptr;
  const Blocking& b = *record.blocking;
  json structure = json::array();
  for (int r = 1; r <= b.block_count; ++r) {
    json row = json::array();
    for (int c = 1; c <= b.block_count; ++c) row.push_back(b.structure(r, c));
    structure.push_back(row);
  }
  json section = {{"attribute", b.attribute},
                  {"blocks", b.block_count},
                  {"block_types", b.block_type_count},
                  {"structure", structure}};
  if (!record.blocking_attribute_name.empty()) section["name"] = record.blocking_attribute_name;
  return section;
}

// Each term as written, the names of its statistics, and for a configuration type its number,
// block type, menu label and column of the statistics table.
json model_section(const Model& model) {
  json terms = json::array();
  for (int t = 0; t < model.term_count(); ++t) {
    const Term& term = *model.terms[static_cast<std::size_t>(t)];
    json entry = {{"term", term.text()}, {"statistics", term.statistic_names()}};
    if (term.curved()) entry["coefficients"] = term.coefficient_names();
    if (const ClassicParameter* p = term.classic(); p != nullptr && model.kernel) {
      entry["type"] = number(p->type);
      entry["block_type"] = p->block_type == 0 ? json(nullptr) : json(p->block_type);
      entry["name"] = std::string(short_name(p->type));
      entry["configuration"] = std::string(menu_label(p->type));
      entry["column"] = model.kernel->parameters[static_cast<std::size_t>(t)].column;
    }
    terms.push_back(entry);
  }
  return {{"terms", terms}, {"directed", model.directed}};
}

json classification(const FitResult& r) {
  const auto& t = r.class_table;
  return {{"observed_0", {{"predicted_0", t[0][0]}, {"predicted_1", t[0][1]}}},
          {"observed_1", {{"predicted_0", t[1][0]}, {"predicted_1", t[1][1]}}},
          {"percent_correct",
           {{"observed_0", finite_or_null(percent(t[0][0], t[0][0] + t[0][1]))},
            {"observed_1", finite_or_null(percent(t[1][1], t[1][0] + t[1][1]))},
            {"overall",
             finite_or_null(percent(t[0][0] + t[1][1], t[0][0] + t[0][1] + t[1][0] + t[1][1]))}}}};
}

// The pseudo-likelihood's figures, of its own fit (the start of maximum likelihood by MCMC), and
// the likelihood's where known.
void add_fit_figures(const FitRecord& record, json& doc) {
  const FitResult& r = *record.result;
  auto optional_number = [](const std::optional<double>& v) {
    return v ? finite_or_null(*v) : json(nullptr);
  };
  doc["log_likelihood"] = optional_number(record.log_likelihood);
  doc["aic"] = optional_number(record.aic());
  doc["bic"] = optional_number(record.bic());
  const bool pseudo = r.end == FitEnd::completed && record.pseudo_likelihood_figures;
  doc["minus2_log_likelihood"] = pseudo ? finite_or_null(-2.0 * r.loglik) : json(nullptr);
  doc["goodness_of_fit"] = pseudo ? finite_or_null(r.pearson_sum) : json(nullptr);
  doc["model_chisquare"] = pseudo ? finite_or_null(model_chisquare(r)) : json(nullptr);
  doc["df"] = r.parameter_count;
  doc["null_log_likelihood"] = pseudo ? finite_or_null(r.null_loglik) : json(nullptr);
  doc["residuals"] = {{"absolute", pseudo ? finite_or_null(r.abs_resid_sum) : json(nullptr)},
                      {"squared", pseudo ? finite_or_null(r.sq_resid_sum) : json(nullptr)}};
  doc["classification"] = pseudo ? classification(r) : json(nullptr);
}

// One row per coefficient: its term, observed statistic, estimate and errors.
json parameters_section(const FitRecord& record) {
  const FitResult& r = *record.result;
  const Model& model = *record.model;
  json parameters = json::array();
  const std::vector<ParameterRow> rows = parameter_rows(r, *record.errors);
  const std::vector<std::string> names = model.coefficient_names();
  for (int p = 1; p <= r.parameter_count; ++p) {
    const std::size_t k = static_cast<std::size_t>(p - 1);
    const Term& term = *model.terms[static_cast<std::size_t>(model.term_of_coefficient(p - 1))];
    const ClassicParameter* classic = term.classic();
    const ParameterRow& row = rows[k];
    parameters.push_back(
        {{"term", names[k]},
         {"from_term", term.text()},
         {"type", classic ? json(number(classic->type)) : json(nullptr)},
         {"block_type",
          classic && classic->block_type != 0 ? json(classic->block_type) : json(nullptr)},
         {"statistic_observed", k < record.observed_statistics.size()
                                    ? finite_or_null(record.observed_statistics[k])
                                    : json(nullptr)},
         {"estimate", finite_or_null(row.estimate)},
         {"std_error", finite_or_null(row.std_error)},
         {"wald", finite_or_null(row.wald)},
         {"z", finite_or_null(row.z)},
         {"p_value", finite_or_null(row.p_value)},
         {"conf_low", finite_or_null(row.conf_low)},
         {"conf_high", finite_or_null(row.conf_high)},
         {"exp_estimate", finite_or_null(row.exp_estimate)}});
    if (!record.errors->sampling_percent.empty()) {
      const auto& percent = record.errors->sampling_percent;
      parameters.back()["sampling_error_percent"] =
          k < percent.size() ? finite_or_null(percent[k]) : json(nullptr);
    }
    if (!record.mcmc_error_percent.empty()) {
      const auto& percent = record.mcmc_error_percent;
      parameters.back()["mcmc_error_percent"] =
          k < percent.size() ? finite_or_null(percent[k]) : json(nullptr);
    }
  }
  return parameters;
}

}  // namespace

void write_fit_json(const FitRecord& record, std::ostream& out) {
  const FitResult& r = *record.result;
  const bool estimated = r.end == FitEnd::completed;
  json doc;
  doc["program"] = "tarnwick";
  doc["command"] = {{"model", record.model_text}, {"data", record.data_arguments}};
  doc["input"] = input_section(record);
  if (record.labels != nullptr && !record.labels->numbered()) {
    json nodes = json::array();
    for (int i = 1; i <= record.network->node_count; ++i) {
      nodes.push_back({{"node", i}, {"label", record.labels->name(i)}});
    }
    doc["nodes"] = nodes;
  }
  doc["blocking"] = blocking_section(record);
  doc["model"] = model_section(*record.model);
  const std::string outcome = fit_outcome(record);
  doc["method"] = record.method;
  doc["outcome"] = outcome;
  doc["converged"] = outcome == "converged";
  doc["passes"] = r.newton_passes;
  add_fit_figures(record, doc);
  if (!record.details.is_null()) doc[record.method] = record.details;
  const ParameterErrors& errors = *record.errors;
  doc["standard_errors"] = {{"method", errors.method}};
  if (!errors.description.empty()) doc["standard_errors"]["description"] = errors.description;
  doc["parameters"] = parameters_section(record);
  doc["covariance"] =
      estimated ? matrix(errors.covariance, r.parameter_count, false) : json(nullptr);
  doc["correlation"] =
      estimated ? matrix(errors.covariance, r.parameter_count, true) : json(nullptr);
  doc["warnings"] = warnings_json(record.warnings);
  // Labels and paths come as the files have them, not always in UTF-8 (a Latin-1 CSV, say);
  // bytes that are not UTF-8 become U+FFFD rather than end the run.
  out << doc.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

}  // namespace tarn
