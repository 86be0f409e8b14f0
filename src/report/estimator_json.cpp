#include "report/estimator_json.h"

#include <cmath>

namespace tarn {

namespace {

using json = nlohmann::ordered_json;

json finite_or_null(double value) {
  return std::isfinite(value) ? json(value) : json(nullptr);
}

json numbers(const std::vector<double>& values) {
  json array = json::array();
  for (double v : values) array.push_back(finite_or_null(v));
  return array;
}

json evidence_section(const tarnwick::LinkCountEvidence& e) {
  json section = {{"kind", e.kind},
                  {"networks", e.networks},
                  {"observed_links", e.observed_links},
                  {"dyads", e.dyads},
                  {"mean_links", finite_or_null(e.mean_links)},
                  {"sd_links", finite_or_null(e.sd_links)},
                  {"least_links", e.least_links},
                  {"most_links", e.most_links},
                  {"share_near_empty", e.share_near_empty},
                  {"share_near_full", e.share_near_full},
                  {"two_modes", e.two_modes}};
  if (e.two_modes) {
    section["lower_mode_links"] = e.lower_mode_links;
    section["upper_mode_links"] = e.upper_mode_links;
    section["lower_mode_share"] = e.lower_mode_share;
  }
  return section;
}

json capacity_section(const tarnwick::LinkCapacityStop& stop) {
  return {{"toggles", stop.toggles},
          {"links", stop.links},
          {"observed_links", stop.observed_links},
          {"capacity", stop.capacity}};
}

json probe_section(const tarnwick::ModeProbeRecord& p) {
  return {{"start", p.from_empty ? "empty" : "denser"},
          {"start_links", p.start_links},
          {"networks", p.networks},
          {"late_mean_links", finite_or_null(p.late_mean_links)},
          {"late_least_links", p.late_least_links},
          {"late_most_links", p.late_most_links},
          {"moving", p.moving},
          {"filled", p.filled},
          {"second_mode", p.second_mode}};
}

json start_section(const tarnwick::McmleStartRecord& start) {
  json section = {{"kind", start.kind}, {"share", start.share}};
  if (start.moved) {
    json moved = {{"reason", start.moved->reason}};
    if (start.moved->capacity) moved["capacity"] = capacity_section(*start.moved->capacity);
    if (start.moved->evidence) moved["evidence"] = evidence_section(*start.moved->evidence);
    section["moved"] = moved;
  }
  return section;
}

json convergence_section(const tarnwick::ConvergenceRecord& c) {
  json section = {{"t_ratios", numbers(c.t_ratios)},
                  {"max_abs_t_ratio", finite_or_null(c.max_abs_t)},
                  {"hotelling_statistic", finite_or_null(c.hotelling)},
                  {"hotelling_p_value", finite_or_null(c.p_value)},
                  {"effective_sample_size", finite_or_null(c.effective_size)},
                  {"effective_sizes", numbers(c.effective_sizes)},
                  {"networks", c.networks}};
  if (c.check) {
    section["simulation_check"] = {{"passed", c.check->passed},
                                   {"t_ratios", numbers(c.check->t_ratios)},
                                   {"allowances", numbers(c.check->allowances)}};
  }
  return section;
}

// The iterations, the convergence figures of the final sample, the start and, when it did not
// converge, the evidence of maximum likelihood by MCMC.
json mcmle_section(const tarnwick::McmleRecord& m) {
  json section;
  section["iterations"] = m.iterations;
  section["stop_reason"] = m.stop_reason;
  section["start"] = start_section(m.start);
  if (m.exact()) {
    section["exact"] = true;
    return section;
  }
  section["convergence"] = convergence_section(m.convergence);
  json history = json::array();
  for (const tarnwick::IterationReport& i : m.history) {
    history.push_back({{"iteration", i.number},
                       {"networks", i.networks},
                       {"step_length", i.step},
                       {"max_abs_t_ratio", finite_or_null(i.max_abs_t)},
                       {"hotelling_p_value", finite_or_null(i.p_value)},
                       {"effective_sample_size", finite_or_null(i.effective_size)},
                       {"interval", i.interval},
                       {"toggles", i.toggles},
                       {"filled", i.filled},
                       {"evidence", i.evidence},
                       {"final_sample", i.final_sample}});
  }
  section["history"] = history;
  // No times: the same seed gives the same document for any number of threads.
  section["toggles"] = m.toggles;
  if (m.probes) {
    section["probes"] = {{"toggles", m.probes->toggles},
                         {"empty", probe_section(m.probes->empty)},
                         {"denser", probe_section(m.probes->denser)}};
  }
  if (m.end != "converged") {
    section["best"] = {{"iteration", m.best.iteration},
                       {"coefficients", numbers(m.best.coefficients)},
                       {"max_abs_t_ratio", finite_or_null(m.best.max_abs_t)},
                       {"distance", finite_or_null(m.best.distance)}};
    if (m.evidence) section["evidence"] = evidence_section(*m.evidence);
    if (m.capacity) section["capacity"] = capacity_section(*m.capacity);
  }
  return section;
}

// "draws": "exact" only where they were, so that the other results files stay as they were.
json check_section(const tarnwick::EquilibriumRecord::Check& check) {
  json section = {{"networks", check.networks},
                  {"chains", check.chains},
                  {"burnin", check.burnin},
                  {"interval", check.interval},
                  {"t_ratio", numbers(check.t_ratios)},
                  {"hotelling_p_value", finite_or_null(check.hotelling_p_value)},
                  {"passed", check.passed},
                  {"degenerate", check.degenerate},
                  {"link_capacity_reached", check.link_capacity_reached},
                  {"standard_errors", numbers(check.standard_errors)},
                  {"mcmc_error_percent", numbers(check.mcmc_error_percent)}};
  if (check.exact_draws) section["draws"] = "exact";
  return section;
}

json equilibrium_section(const tarnwick::EquilibriumRecord& ee) {
  json tasks = json::array();
  for (const auto& estimate : ee.task_estimates) tasks.push_back(numbers(estimate));
  json section = {{"tasks", ee.tasks},
                  {"gain", ee.gain},
                  {"effective_draws", ee.effective_draws},
                  {"updates", ee.updates},
                  {"averaged_updates", ee.averaged_updates},
                  {"proposals_per_update", ee.proposals_per_update},
                  {"autocorrelation_updates", ee.autocorrelation_updates},
                  {"effective_draws_averaged", ee.effective_draws_averaged},
                  {"start", numbers(ee.start)},
                  {"estimate", numbers(ee.estimate)},
                  {"task_spread", numbers(ee.task_spread)},
                  {"task_estimates", tasks},
                  {"proposals", ee.proposals},
                  {"accepted", ee.accepted},
                  {"filled", ee.filled}};
  if (ee.exact_draws) section["draws"] = "exact";
  if (ee.check) section["check"] = check_section(*ee.check);
  return section;
}

json dyad_sample_section(const tarnwick::DyadSampleRecord& s) {
  return {{"linked_dyads", s.linked_dyads},
          {"empty_dyads", s.empty_dyads},
          {"controls", s.controls},
          {"drawn", s.every_empty_dyad ? "every_empty_dyad" : "uniform_with_replacement"},
          {"control_weight", s.control_weight},
          {"seed", s.seed},
          {"automatic", s.automatic}};
}

}  // namespace

json estimator_json(const tarnwick::Estimate& e) {
  if (e.equilibrium) {
    json section = {{"equilibrium_expectation", equilibrium_section(*e.equilibrium)}};
    if (e.mcmle) section["mcmle"] = mcmle_section(*e.mcmle);
    return section;
  }
  if (e.mcmle) return mcmle_section(*e.mcmle);
  if (e.dyad_sample) return {{"dyad_sample", dyad_sample_section(*e.dyad_sample)}};
  return nullptr;
}

}  // namespace tarn
