#include "api/estimate_numbers.h"

#include <cmath>
#include <limits>

#include "io/data_arguments.h"
#include "io/study_building.h"
#include "mple/fit_summary.h"
#include "report/warning_text.h"
#include "terms/configuration_type.h"

namespace tarn {

namespace {

tarnwick::LinkCountEvidence evidence_of(const DrawEvidence& e) {
  return {e.kind(),           e.networks,        e.observed_links, e.dyads,
          e.mean_links,       e.sd_links,        e.least_links,    e.most_links,
          e.share_near_empty, e.share_near_full, e.two_modes,      e.lower_mode_links,
          e.upper_mode_links, e.lower_mode_share};
}

tarnwick::LinkCapacityStop capacity_of(const CapacityStop& stop) {
  return {stop.toggles, stop.links, stop.observed_links, stop.capacity};
}

tarnwick::ModeProbeRecord probe_of(const ModeProbe& p) {
  return {p.from_empty,      p.start_links, p.networks, p.late_mean_links, p.late_least_links,
          p.late_most_links, p.moving,      p.filled,   p.second_mode()};
}

const char* start_name(McmleStart start) {
  switch (start) {
    case McmleStart::pseudo_likelihood:
      return "pseudo_likelihood";
    case McmleStart::given:
      return "given";
    case McmleStart::dyad_independent:
      return "dyad_independent";
  }
  return "";
}

tarnwick::McmleStartRecord start_of(const StartRecord& start) {
  tarnwick::McmleStartRecord record{start_name(start.kind), start.share, std::nullopt};
  if (start.moved) {
    tarnwick::McmleStartRecord::Move move{start.moved->reason, std::nullopt, std::nullopt};
    if (move.reason == "link_capacity") {
      move.capacity = capacity_of(start.moved->capacity);
    } else if (move.reason != "no_step") {
      move.evidence = evidence_of(start.moved->evidence);
    }
    record.moved = move;
  }
  return record;
}

const char* end_name(McmleEnd end) {
  switch (end) {
    case McmleEnd::converged:
      return "converged";
    case McmleEnd::not_converged:
      return "not_converged";
    case McmleEnd::degenerate:
      return "degenerate";
  }
  return "";
}

tarnwick::ConvergenceRecord convergence_of(const McmleResult& m) {
  const ConvergenceTest& t = m.final_test;
  const SampleMoments& s = m.final_moments;
  tarnwick::ConvergenceRecord c;
  c.t_ratios = t.t_ratio;
  c.max_abs_t = t.max_abs_t;
  c.hotelling = t.hotelling;
  c.p_value = t.p_value;
  c.effective_size = t.effective_size;
  c.effective_sizes = s.effective_size;
  c.mean = s.mean;
  c.sd = s.sd;
  c.lag1 = s.lag1;
  c.networks = s.networks;
  if (m.check)
    c.check =
        tarnwick::ConvergenceRecord::Check{m.check->passed, m.check->t_ratio, m.check->allowance};
  return c;
}

tarnwick::FittedNetwork network_of(const Study& study, const InputData& input,
                                   const StudyOptions& options, const FitResult& result) {
  tarnwick::FittedNetwork n;
  n.path = options.network_path;
  n.nodes = study.network.node_count;
  n.links = study.network.link_count;
  n.dyads = result.dyad_count;
  n.diagonal = study.include_diagonal;
  n.directed = study.model.directed;
  n.bipartite = study.network.bipartite;
  n.missing_dyads = static_cast<std::int64_t>(input.missing_dyads.size());
  if (!input.labels.numbered()) {
    for (int i = 1; i <= study.network.node_count; ++i) n.labels.push_back(input.labels.name(i));
  }
  return n;
}

std::optional<tarnwick::BlockingRecord> blocking_of(const InputData& input) {
  const Blocking& b = input.blocking;
  if (!b.in_use()) return std::nullopt;
  tarnwick::BlockingRecord record{
      b.attribute, input.blocking_attribute_name(), b.block_count, b.block_type_count, {}};
  for (int r = 1; r <= b.block_count; ++r) {
    record.structure.emplace_back();
    for (int c = 1; c <= b.block_count; ++c) record.structure.back().push_back(b.structure(r, c));
  }
  return record;
}

std::vector<tarnwick::TermRecord> terms_of(const Model& model) {
  std::vector<tarnwick::TermRecord> terms;
  for (int t = 0; t < model.term_count(); ++t) {
    const Term& term = *model.terms[static_cast<std::size_t>(t)];
    tarnwick::TermRecord record;
    record.text = term.text();
    record.statistics = term.statistic_names();
    if (model.offset_term(t)) {
      record.text = "offset(" + record.text + ")";
      for (std::string& name : record.statistics) name = "offset(" + name + ")";
    }
    if (term.curved()) record.coefficients = term.coefficient_names();
    if (const ClassicParameter* p = term.classic(); p != nullptr) {
      record.configuration_type = number(p->type);
      record.block_type = p->block_type;
      if (model.kernel) {
        record.type_name = std::string(short_name(p->type));
        record.type_label = std::string(menu_label(p->type));
        record.kernel_column = model.kernel->parameters[static_cast<std::size_t>(t)].column;
      }
    }
    terms.push_back(std::move(record));
  }
  return terms;
}

std::vector<tarnwick::CoefficientRow> coefficient_rows(const Estimate& e, const Model& model,
                                                       const std::vector<double>& observed) {
  std::vector<tarnwick::CoefficientRow> rows;
  const std::vector<ParameterRow> figures = parameter_rows(e.result, e.errors);
  const std::vector<std::string> names = model.coefficient_names();
  for (std::size_t k = 0; k < figures.size(); ++k) {
    const ParameterRow& f = figures[k];
    tarnwick::CoefficientRow row;
    row.name = names[k];
    row.term = model.term_of_coefficient(static_cast<int>(k));
    if (k < observed.size()) row.observed = observed[k];
    row.estimate = f.estimate;
    row.std_error = f.std_error;
    row.wald = f.wald;
    row.z = f.z;
    row.p_value = f.p_value;
    row.conf_low = f.conf_low;
    row.conf_high = f.conf_high;
    row.exp_estimate = f.exp_estimate;
    row.offset = model.offset_term(row.term);
    if (row.offset) {
      // A fixed value: nothing was estimated, so there is nothing to test.
      const double nan = std::numeric_limits<double>::quiet_NaN();
      row.std_error = row.wald = row.z = row.p_value = row.conf_low = row.conf_high = nan;
      row.exp_estimate = std::exp(row.estimate);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

tarnwick::PseudoLikelihoodFigures pseudo_likelihood_of(const FitResult& r) {
  const auto& t = r.class_table;
  tarnwick::PseudoLikelihoodFigures f;
  f.minus2_log_likelihood = -2.0 * r.loglik;
  f.goodness_of_fit = r.pearson_sum;
  f.model_chisquare = model_chisquare(r);
  f.null_log_likelihood = r.null_loglik;
  f.absolute_residuals = r.abs_resid_sum;
  f.squared_residuals = r.sq_resid_sum;
  f.classification = t;
  f.percent_correct_no_link = percent(t[0][0], t[0][0] + t[0][1]);
  f.percent_correct_link = percent(t[1][1], t[1][0] + t[1][1]);
  f.percent_correct = percent(t[0][0] + t[1][1], t[0][0] + t[0][1] + t[1][0] + t[1][1]);
  // "Too many iterations!" on the screen: the pass limit, not estimates that grow without end
  // (their own warning says so).
  f.pass_limit = r.too_many_iterations && !r.unbounded;
  return f;
}

// The covariance as reported, and the correlations of the estimates.
void add_covariance(const Estimate& e, tarnwick::Estimate& out) {
  const int p = e.result.parameter_count;
  const ParamMatrix& covariance = e.errors.covariance;
  for (int a = 1; a <= p; ++a) {
    out.covariance.emplace_back();
    out.correlation.emplace_back();
    for (int b = 1; b <= p; ++b) {
      out.covariance.back().push_back(covariance(a, b));
      out.correlation.back().push_back(correlation(covariance, a, b));
    }
  }
}

}  // namespace

tarnwick::EquilibriumRecord equilibrium_of(const EeRecord& record) {
  const EeResult& ee = record.result;
  tarnwick::EquilibriumRecord r;
  r.tasks = record.settings.tasks;
  r.gain = record.settings.gain;
  r.effective_draws = record.settings.effective_draws;
  r.updates = ee.updates;
  r.averaged_updates = ee.averaged_updates;
  r.proposals_per_update = ee.proposals_per_update;
  r.autocorrelation_updates = ee.autocorrelation_updates;
  r.effective_draws_averaged = ee.effective_draws;
  r.start = record.start;
  r.estimate = ee.estimate;
  r.task_spread = ee.task_spread;
  r.task_estimates = ee.task_estimates;
  r.proposals = ee.proposals;
  r.accepted = ee.accepted;
  r.filled = ee.filled;
  r.exact_draws = ee.exact_draws;
  if (record.check) {
    const EeCheck& check = *record.check;
    tarnwick::EquilibriumRecord::Check c;
    c.networks = static_cast<std::int64_t>(check.sample.size());
    c.chains = check.chains;
    c.burnin = check.burnin;
    c.interval = check.interval;
    c.t_ratios = check.check.t_ratio;
    c.hotelling_p_value = check.test.p_value;
    c.passed = check.passed();
    c.degenerate = check.evidence.degenerate();
    c.link_capacity_reached = check.capacity.found;
    for (int k = 0; k < check.errors.covariance.rows(); ++k) {
      const double variance = check.errors.covariance(k, k);
      c.standard_errors.push_back(variance >= 0.0 ? std::sqrt(variance) : tarnwick::not_a_number);
    }
    c.mcmc_error_percent = check.errors.mcmc_error_percent;
    c.exact_draws = check.exact_draws;
    r.check = c;
  }
  return r;
}

tarnwick::McmleRecord mcmle_record(const McmleResult& m) {
  tarnwick::McmleRecord r;
  r.end = end_name(m.end);
  r.stop_reason = m.stop_reason;
  r.judged_estimate = m.judged_estimate;
  r.iterations = m.iterations;
  r.start = start_of(m.start);
  r.convergence = convergence_of(m);
  for (const McmleIteration& i : m.history) {
    r.history.push_back({i.number, i.networks, i.step, i.max_abs_t, i.p_value, i.interval,
                         i.seconds, i.filled, i.evidence, i.final_sample, i.effective_size,
                         i.toggles});
  }
  r.toggles = m.toggles;
  if (m.probes) {
    r.probes = tarnwick::ModeProbes{m.probes->toggles, probe_of(m.probes->empty),
                                    probe_of(m.probes->dense)};
  }
  r.best = {m.best.iteration, m.best.theta, m.best.max_abs_t, m.best.distance};
  if (m.evidence) r.evidence = evidence_of(*m.evidence);
  if (m.capacity.found) r.capacity = capacity_of(m.capacity);
  r.observed = m.observed;
  r.estimate = m.estimate;
  r.mcmc_error_percent = m.mcmc_error_percent;
  r.final_sample = m.final_sample;
  r.final_chains = m.final_chains;
  r.seconds = m.seconds;
  r.sampler_seconds = m.sampler_seconds;
  return r;
}

tarnwick::Estimate estimate_numbers(const Estimate& e, const tarnwick::Model::Data& data) {
  const Study& study = data.study;
  const InputData& input = data.input;
  const StudyOptions& options = data.network.data().options;
  const Model& model = study.model;
  const FitResult& r = e.result;
  tarnwick::Estimate out;
  out.formula = data.formula;
  out.data_arguments = data_arguments(options);
  for (const InputFileRecord& f : input.files) out.files.push_back({f.role, f.path, f.format});
  out.network = network_of(study, input, options, r);
  out.blocking = blocking_of(input);
  out.terms = terms_of(model);
  out.method = e.method;
  out.outcome = e.outcome.empty() ? pseudo_likelihood_outcome(r, e.estimate_exists) : e.outcome;
  out.converged = e.succeeded();
  out.estimated = r.end == FitEnd::completed;
  out.passes = r.newton_passes;
  out.iterations = e.mcmle ? e.mcmle->iterations : r.newton_passes;
  out.coefficients = coefficient_rows(e, model, model.coefficient_statistics(study.statistics()));
  add_covariance(e, out);
  out.errors = e.errors.method;
  out.errors_description = e.errors.description;
  out.sampling_percent = e.errors.sampling_percent;
  out.mcmc_error_percent = e.mcmc_error_percent;
  out.log_likelihood = e.log_likelihood;
  if (e.log_likelihood) {
    // As ergm: the free parameters only, not the offsets'.
    const int free = r.parameter_count - model.offset_coefficient_count();
    out.aic = -2.0 * *e.log_likelihood + 2.0 * free;
    out.bic = -2.0 * *e.log_likelihood + free * std::log(static_cast<double>(r.dyad_count));
  }
  if (out.estimated && e.pseudo_likelihood_figures) out.pseudo_likelihood = pseudo_likelihood_of(r);
  if (e.mcmle) out.mcmle = mcmle_record(*e.mcmle);
  if (e.equilibrium) out.equilibrium = equilibrium_of(*e.equilibrium);
  if (e.dyad_sample) {
    const DyadSampleRecord& s = *e.dyad_sample;
    out.dyad_sample =
        tarnwick::DyadSampleRecord{s.linked_dyads,   s.empty_dyads, s.controls, s.every_empty_dyad,
                                   s.control_weight, s.seed,        s.automatic};
  }
  // The estimate's warnings, then the data's notes, then what the model leaves unused of the
  // options.
  std::vector<Warning> warnings = e.warnings;
  warnings.insert(warnings.end(), input.notes.begin(), input.notes.end());
  for (Warning& w : model_warnings(model, options)) warnings.push_back(std::move(w));
  out.warnings = worded(warnings, "fit");
  return out;
}

}  // namespace tarn
