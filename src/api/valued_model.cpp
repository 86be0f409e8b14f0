#include "api/valued_model.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "api/api_errors.h"
#include "api/ee_settings.h"
#include "api/estimate_numbers.h"
#include "api/progress_lines.h"
#include "api/records.h"
#include "estimate/estimator_table.h"
#include "estimate/sampling_settings.h"
#include "io/data_arguments.h"
#include "io/study_building.h"
#include "mple/fit_summary.h"
#include "valued/valued_fit.h"

namespace tarn {

namespace {

const char* reference_choices =
    "Poisson, Geometric, Binomial(trials=N), DiscUnif(a, b), or Bernoulli for counts 0 and 1";

int largest_count(const ValuedGraph& g) {
  int largest = 0;
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const ValuedEntry& e : g.out(i)) largest = std::max(largest, e.value);
  }
  return largest;
}

tarnwick::FittedNetwork valued_network_of(const tarnwick::Model::Data& data) {
  const InputData& input = data.input;
  const StudyOptions& options = data.network.data().options;
  tarnwick::FittedNetwork n;
  n.path = options.network_path;
  n.nodes = input.network.node_count;
  n.links = input.network.link_count;
  // As for a binary network: the observed dyads, and the missing ones apart.
  n.missing_dyads = std::ssize(input.missing_dyads);
  n.dyads = input.counts->dyad_count() - n.missing_dyads;
  n.directed = input.directed;
  if (!input.labels.numbered()) {
    for (int i = 1; i <= n.nodes; ++i) n.labels.push_back(input.labels.name(i));
  }
  n.response = input.response;
  n.reference = data.valued->reference.text();
  return n;
}

std::vector<tarnwick::TermRecord> valued_terms_of(const ValuedModel& model) {
  std::vector<tarnwick::TermRecord> terms;
  for (const ValuedTermPointer& t : model.terms) {
    tarnwick::TermRecord record;
    record.text = t->text();
    record.statistics = t->statistic_names();
    terms.push_back(std::move(record));
  }
  return terms;
}

std::vector<tarnwick::CoefficientRow> coefficient_rows(const ValuedModel& model,
                                                       const ValuedFit& fit) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<tarnwick::CoefficientRow> rows;
  int term = 0, within = 0;
  for (int s = 0; s < model.statistic_count(); ++s) {
    const auto k = static_cast<std::size_t>(s);
    tarnwick::CoefficientRow row;
    row.name = model.names[k];
    row.term = term;
    row.observed = fit.observed[k];
    row.estimate = k < fit.estimate.size() ? fit.estimate[k] : nan;
    const bool errors =
        fit.outcome == "converged" && fit.covariance.rows() == model.statistic_count();
    row.std_error = errors ? std::sqrt(fit.covariance(s, s)) : nan;
    row.wald = wald_statistic(row.estimate, row.std_error);
    row.z = z_statistic(row.estimate, row.std_error);
    row.p_value = two_sided_p_value(row.z);
    row.conf_low = row.estimate - normal_975 * row.std_error;
    row.conf_high = row.estimate + normal_975 * row.std_error;
    row.exp_estimate = std::exp(row.estimate);
    rows.push_back(row);
    if (++within == model.terms[static_cast<std::size_t>(term)]->statistic_count())
      ++term, within = 0;
  }
  return rows;
}

tarnwick::IterationReport iteration_report(const ValuedIteration& i) {
  tarnwick::IterationReport it;
  it.number = i.number;
  it.networks = i.networks;
  it.step = i.step;
  it.max_abs_t = i.max_abs_t;
  it.p_value = i.p_value;
  it.interval = i.interval;
  it.final_sample = i.final_sample;
  it.effective_size = i.effective_size;
  it.seconds = i.seconds;
  return it;
}

// `start`: "dyad_independent" (the exact fit taken on by contrastive divergence), or "given" (an
// equilibrium-expectation estimate). `judged`: the estimator whose estimate networks drawn at it
// accepted, with no iterations; empty for MCMLE's.
tarnwick::McmleRecord mcmle_record_of(const ValuedFit& fit, const char* start, const char* judged) {
  tarnwick::McmleRecord r;
  r.end = fit.outcome == "converged" ? "converged" : "not_converged";
  r.stop_reason = fit.stop_reason;
  r.iterations = static_cast<int>(fit.history.size());
  r.start.kind = start;
  r.judged_estimate = judged;
  r.convergence.t_ratios = fit.final_test.t_ratio;
  r.convergence.max_abs_t = fit.final_test.max_abs_t;
  r.convergence.hotelling = fit.final_test.hotelling;
  r.convergence.p_value = fit.final_test.p_value;
  r.convergence.effective_size = fit.final_test.effective_size;
  if (fit.check) {
    r.convergence.check = tarnwick::ConvergenceRecord::Check{fit.check->passed, fit.check->t_ratio,
                                                             fit.check->allowance};
  }
  for (const ValuedIteration& i : fit.history) r.history.push_back(iteration_report(i));
  r.observed = fit.observed;
  r.estimate = fit.estimate;
  r.mcmc_error_percent = fit.mcmc_error_percent;
  r.convergence.networks = fit.final_networks;
  r.toggles = fit.proposals;
  r.seconds = fit.seconds;
  r.sampler_seconds = fit.sampler_seconds;
  return r;
}

}  // namespace

Vector listed_coefficients(const std::string& list, const ValuedModel& model,
                           const std::string& option) {
  Vector values;
  for (const std::string& item : list_items(list)) {
    const auto value = plain_number(item);
    if (!value) throw UsageError(option + ": \"" + item + "\" is not a finite number");
    values.push_back(*value);
  }
  if (static_cast<int>(values.size()) != model.statistic_count()) {
    std::string names;
    for (const std::string& name : model.names) names += (names.empty() ? "" : ", ") + name;
    throw UsageError(option + ": give " + std::to_string(model.statistic_count()) +
                     " coefficients, one per statistic (" + names + "), not " +
                     std::to_string(values.size()));
  }
  return values;
}

std::shared_ptr<const ValuedModel> valued_model_of(tarnwick::Model::Data& data) {
  const StudyOptions& options = data.network.data().options;
  Reference reference = parse_reference("Poisson");
  data.reference_given = !options.reference.empty();
  if (data.reference_given) {
    try {
      reference = parse_reference(options.reference);
    } catch (const ModelError& e) {
      throw SettingError({"reference"}, "{0=}" + options.reference + ": " + e.what() + "; give " +
                                            reference_choices);
    }
  }
  if (reference.kind == ReferenceKind::bernoulli) {
    const int largest = largest_count(*data.input.counts);
    if (largest > 1) {
      throw SettingError({"reference", "response"}, "{0=}Bernoulli is the binary model, but {1} " +
                                                        data.input.response + " has counts up to " +
                                                        std::to_string(largest) + "; give " +
                                                        reference_choices);
    }
    return nullptr;
  }
  try {
    auto model = std::make_shared<ValuedModel>(
        build_valued_model(data.formula, data_term_context(data.input, options), reference));
    if (const std::string outside = outside_support(*data.input.counts, reference);
        !outside.empty()) {
      throw SettingError({"reference"}, "{0=}" + options.reference + ": " + outside);
    }
    return model;
  } catch (const TermOfOtherNetworkKind& e) {
    throw FormulaError(std::string("--model: ") + e.what());
  } catch (const ModelError& e) {
    throw FormulaError(std::string("--model: ") + e.what());
  }
}

void refuse_valued(const tarnwick::Model::Data& data, const std::string& what) {
  if (!data.valued) return;
  throw SettingError({"response"}, "{0}: " + what + " of a model of counts is not offered yet");
}

tarnwick::StatisticsReport valued_statistics_report(const tarnwick::Model::Data& data) {
  tarnwick::StatisticsReport report;
  for (const InputFileRecord& f : data.input.files)
    report.files.push_back({f.role, f.path, f.format});
  report.nodes = data.input.network.node_count;
  report.links = data.input.network.link_count;
  report.directed = data.input.directed;
  const ValuedModel& model = *data.valued;
  const Vector values = model.statistics(*data.input.counts);
  std::size_t k = 0;
  for (const ValuedTermPointer& t : model.terms) {
    for (const std::string& name : t->statistic_names()) {
      report.statistics.push_back({name, t->text(), values[k++]});
    }
  }
  report.warnings = records_of(data.input.notes, "data");
  return report;
}

tarnwick::Estimate valued_fit(const tarnwick::Model::Data& data,
                              const tarnwick::FitSettings& settings,
                              const tarnwick::Progress& progress) {
  const Estimator& estimator = estimator_named(settings.method);
  if (!estimator.fit_counts) {
    throw SettingError({"method"},
                       "{0=}" + settings.method + ": " + std::string(estimator.counts_refusal));
  }
  if (!data.reference_given) {
    throw SettingError({"reference", "response"},
                       "{1} reads counts: give {0}, the model's reference measure (" +
                           std::string(reference_choices) + ")");
  }
  if (!settings.constraints.empty() || !settings.offset_coef.empty() ||
      !settings.offset_coef_list.empty()) {
    throw SettingError({!settings.constraints.empty() ? "constraints" : "offset_coef"},
                       "{0}: a model of counts does not take it yet");
  }
  const ValuedModel& model = *data.valued;
  // --init: where MCMLE, or equilibrium expectation, starts instead of contrastive divergence.
  std::optional<Vector> start;
  if (!settings.init.empty() || !settings.init_list.empty()) {
    try {
      start = listed_coefficients(
          settings.init_list.empty() ? comma_list(settings.init) : settings.init_list, model,
          "{0}");
    } catch (const UsageError& e) {
      throw SettingError({"init"}, e.what());
    }
  }
  McmleControl control;
  control.sample_size = settings.sample_size;
  control.max_iterations = settings.max_iterations;
  control.error_precision = settings.error_precision;
  control.seed = settings.seed;
  control.chains = settings.chains;
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  control.threads = settings.threads > 0 ? settings.threads : std::max(cores, 1);
  if (settings.interval > 0) control.interval = settings.interval;
  control.cancel = progress.cancel;
  const ValuedProgress on_iteration = [&progress, &settings](const ValuedIteration& i) {
    check_cancel(progress);
    if (progress.report) progress.report(i.number, settings.max_iterations, "mcmle iteration");
    if (progress.iteration) progress.iteration(iteration_report(i));
  };
  CountsFit request{model,
                    *data.input.counts,
                    default_proposal(model.reference),
                    control,
                    ee_settings_of(settings.equilibrium),
                    {{}, {}, on_iteration},
                    start};
  if (progress.phase) {
    request.progress.task = [&progress](const EeTaskNews& n) { progress.phase(ee_task_line(n)); };
    request.progress.check = [&progress](const EeCheckNews& n) {
      progress.phase(ee_check_line(n));
    };
  }
  const ValuedEeFit fitted = estimator.fit_counts(request);
  const ValuedFit& fit = fitted.fit;
  tarnwick::Estimate out;
  out.formula = data.formula;
  out.data_arguments = data_arguments(data.network.data().options);
  for (const InputFileRecord& f : data.input.files) out.files.push_back({f.role, f.path, f.format});
  out.network = valued_network_of(data);
  out.terms = valued_terms_of(model);
  out.method = settings.method;
  out.outcome = fit.outcome;
  out.converged = fit.outcome == "converged";
  out.estimated = fit.outcome != "estimate_does_not_exist";
  out.iterations = static_cast<int>(fit.history.size());
  out.seconds = fit.seconds;
  out.coefficients = coefficient_rows(model, fit);
  const int p = model.statistic_count();
  for (int a = 0; a < p; ++a) {
    out.covariance.emplace_back();
    out.correlation.emplace_back();
    for (int b = 0; b < p; ++b) {
      const bool known = out.converged && fit.covariance.rows() == p;
      const double c = known ? fit.covariance(a, b) : std::numeric_limits<double>::quiet_NaN();
      out.covariance.back().push_back(c);
      out.correlation.back().push_back(
          known ? c / std::sqrt(fit.covariance(a, a) * fit.covariance(b, b)) : c);
    }
  }
  out.errors = fit.stop_reason == "dyad_independent" ? "naive" : "mcmle";
  out.mcmc_error_percent = fit.mcmc_error_percent;
  if (fit.log_likelihood && out.converged) {
    out.log_likelihood = *fit.log_likelihood;
    out.aic = -2 * *fit.log_likelihood + 2 * p;
    out.bic = -2 * *fit.log_likelihood + p * std::log(static_cast<double>(out.network.dyads));
  }
  if (fit.stop_reason != "dyad_independent") {
    // An equilibrium-expectation estimate the check accepted, or MCMLE's from its start.
    const bool accepted = fitted.record && !fitted.by_mcmle;
    out.mcmle = mcmle_record_of(fit, fitted.record || start ? "given" : "dyad_independent",
                                accepted ? "Equilibrium expectation" : "");
  }
  // When the check failed, MCMLE went on from the estimate, as for a binary model.
  if (fitted.record) out.equilibrium = equilibrium_of(*fitted.record);
  if (fit.outcome == "estimate_does_not_exist") {
    out.warnings.push_back(
        {"statistic_at_bound",
         "the statistic " + fit.start.at_bound +
             " is at the least or greatest value any network gives it: its coefficient has no "
             "finite estimate",
         "fit",
         {},
         {},
         ""});
  }
  return out;
}

}  // namespace tarn
