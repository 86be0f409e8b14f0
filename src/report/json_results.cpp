#include "report/json_results.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "report/estimator_json.h"
#include "report/warning_json.h"

namespace tarn {

namespace {

using json = nlohmann::ordered_json;
using tarnwick::Estimate;

json finite_or_null(double value) {
  return std::isfinite(value) ? json(value) : json(nullptr);
}

json matrix(const std::vector<std::vector<double>>& m) {
  json rows = json::array();
  for (const std::vector<double>& values : m) {
    json row = json::array();
    for (const double value : values) row.push_back(finite_or_null(value));
    rows.push_back(row);
  }
  return rows;
}

json input_section(const Estimate& e) {
  json input = json::object();
  for (const tarnwick::InputFileRecord& f : e.files) {
    input[f.role] = {{"file", f.path}, {"format", f.format}};
  }
  input["network"]["nodes"] = e.network.nodes;
  input["network"]["links"] = e.network.links;
  input["network"]["dyads"] = e.network.dyads;
  input["network"]["diagonal"] = e.network.diagonal;
  input["network"]["directed"] = e.network.directed;
  if (e.network.bipartite > 0) input["network"]["bipartite"] = e.network.bipartite;
  if (e.network.missing_dyads > 0) input["network"]["missing_dyads"] = e.network.missing_dyads;
  if (!e.network.response.empty()) {
    input["network"]["response"] = e.network.response;
    input["network"]["reference"] = e.network.reference;
  }
  return input;
}

json blocking_section(const Estimate& e) {
  if (!e.blocking) return nullptr;
  const tarnwick::BlockingRecord& b = *e.blocking;
  json section = {{"attribute", b.attribute},
                  {"blocks", b.blocks},
                  {"block_types", b.block_types},
                  {"structure", b.structure}};
  if (!b.attribute_name.empty()) section["name"] = b.attribute_name;
  return section;
}

// Each term as written, the names of its statistics, and for a configuration type its number,
// block type, menu label and column of the statistics table.
json model_section(const Estimate& e) {
  json terms = json::array();
  for (const tarnwick::TermRecord& term : e.terms) {
    json entry = {{"term", term.text}, {"statistics", term.statistics}};
    if (!term.coefficients.empty()) entry["coefficients"] = term.coefficients;
    if (term.kernel_column >= 0) {
      entry["type"] = term.configuration_type;
      entry["block_type"] = term.block_type == 0 ? json(nullptr) : json(term.block_type);
      entry["name"] = term.type_name;
      entry["configuration"] = term.type_label;
      entry["column"] = term.kernel_column;
    }
    terms.push_back(entry);
  }
  return {{"terms", terms}, {"directed", e.network.directed}};
}

json classification(const tarnwick::PseudoLikelihoodFigures& f) {
  const auto& t = f.classification;
  return {{"observed_0", {{"predicted_0", t[0][0]}, {"predicted_1", t[0][1]}}},
          {"observed_1", {{"predicted_0", t[1][0]}, {"predicted_1", t[1][1]}}},
          {"percent_correct",
           {{"observed_0", finite_or_null(f.percent_correct_no_link)},
            {"observed_1", finite_or_null(f.percent_correct_link)},
            {"overall", finite_or_null(f.percent_correct)}}}};
}

// The pseudo-likelihood's figures where they describe the estimate, and the likelihood's where
// known.
void add_fit_figures(const Estimate& e, json& doc) {
  auto optional_number = [](const std::optional<double>& v) {
    return v ? finite_or_null(*v) : json(nullptr);
  };
  doc["log_likelihood"] = optional_number(e.log_likelihood);
  doc["aic"] = optional_number(e.aic);
  doc["bic"] = optional_number(e.bic);
  const tarnwick::PseudoLikelihoodFigures* f =
      e.pseudo_likelihood ? &*e.pseudo_likelihood : nullptr;
  auto figure = [f](double tarnwick::PseudoLikelihoodFigures::*member) {
    return f != nullptr ? finite_or_null(f->*member) : json(nullptr);
  };
  doc["minus2_log_likelihood"] = figure(&tarnwick::PseudoLikelihoodFigures::minus2_log_likelihood);
  doc["goodness_of_fit"] = figure(&tarnwick::PseudoLikelihoodFigures::goodness_of_fit);
  doc["model_chisquare"] = figure(&tarnwick::PseudoLikelihoodFigures::model_chisquare);
  doc["df"] = static_cast<int>(e.coefficients.size());
  doc["null_log_likelihood"] = figure(&tarnwick::PseudoLikelihoodFigures::null_log_likelihood);
  doc["residuals"] = {{"absolute", figure(&tarnwick::PseudoLikelihoodFigures::absolute_residuals)},
                      {"squared", figure(&tarnwick::PseudoLikelihoodFigures::squared_residuals)}};
  doc["classification"] = f != nullptr ? classification(*f) : json(nullptr);
}

// One row per coefficient: its term, observed statistic, estimate and errors.
json parameters_section(const Estimate& e) {
  json parameters = json::array();
  for (std::size_t k = 0; k < e.coefficients.size(); ++k) {
    const tarnwick::CoefficientRow& row = e.coefficients[k];
    const tarnwick::TermRecord& term = e.terms[static_cast<std::size_t>(row.term)];
    const bool classic = term.configuration_type != 0;
    parameters.push_back(
        {{"term", row.name},
         {"from_term", term.text},
         {"type", classic ? json(term.configuration_type) : json(nullptr)},
         {"block_type", classic && term.block_type != 0 ? json(term.block_type) : json(nullptr)},
         {"statistic_observed", finite_or_null(row.observed)},
         {"estimate", finite_or_null(row.estimate)},
         {"std_error", finite_or_null(row.std_error)},
         {"wald", finite_or_null(row.wald)},
         {"z", finite_or_null(row.z)},
         {"p_value", finite_or_null(row.p_value)},
         {"conf_low", finite_or_null(row.conf_low)},
         {"conf_high", finite_or_null(row.conf_high)},
         {"exp_estimate", finite_or_null(row.exp_estimate)},
         {"offset", row.offset}});
    // JSON has no infinity: an offset's -Inf or Inf is written as R writes it.
    if (row.offset && std::isinf(row.estimate)) {
      parameters.back()["estimate"] = row.estimate < 0 ? "-Inf" : "Inf";
    }
    if (!e.sampling_percent.empty()) {
      parameters.back()["sampling_error_percent"] =
          k < e.sampling_percent.size() ? finite_or_null(e.sampling_percent[k]) : json(nullptr);
    }
    if (!e.mcmc_error_percent.empty()) {
      parameters.back()["mcmc_error_percent"] =
          k < e.mcmc_error_percent.size() ? finite_or_null(e.mcmc_error_percent[k]) : json(nullptr);
    }
  }
  return parameters;
}

}  // namespace

void write_fit_json(const Estimate& e, std::ostream& out) {
  json doc;
  doc["program"] = "tarnwick";
  doc["command"] = {{"model", e.formula}, {"data", e.data_arguments}};
  if (!e.constraints.empty()) doc["command"]["constraints"] = e.constraints;
  doc["input"] = input_section(e);
  if (!e.network.labels.empty()) {
    json nodes = json::array();
    for (std::size_t i = 0; i < e.network.labels.size(); ++i) {
      nodes.push_back({{"node", i + 1}, {"label", e.network.labels[i]}});
    }
    doc["nodes"] = nodes;
  }
  doc["blocking"] = blocking_section(e);
  doc["model"] = model_section(e);
  doc["method"] = e.method;
  doc["outcome"] = e.outcome;
  doc["converged"] = e.outcome == "converged";
  doc["passes"] = e.passes;
  add_fit_figures(e, doc);
  if (json section = estimator_json(e); !section.is_null()) doc[e.method] = section;
  doc["standard_errors"] = {{"method", e.errors}};
  if (!e.errors_description.empty()) doc["standard_errors"]["description"] = e.errors_description;
  doc["parameters"] = parameters_section(e);
  doc["covariance"] = e.estimated ? matrix(e.covariance) : json(nullptr);
  doc["correlation"] = e.estimated ? matrix(e.correlation) : json(nullptr);
  doc["warnings"] = warnings_json(e.warnings);
  // Labels and paths come as the files have them, not always in UTF-8 (a Latin-1 CSV, say);
  // bytes that are not UTF-8 become U+FFFD rather than end the run.
  out << doc.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

}  // namespace tarn
