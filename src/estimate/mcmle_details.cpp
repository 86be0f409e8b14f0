#include "estimate/mcmle_details.h"

#include <cmath>

namespace tarn {

namespace {

using json = nlohmann::ordered_json;

json finite_or_null(double value) {
  return std::isfinite(value) ? json(value) : json(nullptr);
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

// The iterations, the convergence figures of the last sample and the start of maximum likelihood
// by MCMC.
json evidence_section(const DrawEvidence& e) {
  json section = {{"kind", e.kind()},
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

json capacity_section(const CapacityStop& stop) {
  return {{"toggles", stop.toggles},
          {"links", stop.links},
          {"observed_links", stop.observed_links},
          {"capacity", stop.capacity}};
}

json numbers(const std::vector<double>& values) {
  json array = json::array();
  for (double v : values) array.push_back(finite_or_null(v));
  return array;
}

json probe_section(const ModeProbe& p) {
  return {{"start", p.from_empty ? "empty" : "denser"},
          {"start_links", p.start_links},
          {"networks", p.networks},
          {"late_mean_links", finite_or_null(p.late_mean_links)},
          {"late_least_links", p.late_least_links},
          {"late_most_links", p.late_most_links},
          {"moving", p.moving},
          {"filled", p.filled},
          {"second_mode", p.second_mode()}};
}

json start_section(const StartRecord& start) {
  json section = {{"kind", start_name(start.kind)}, {"share", start.share}};
  if (start.moved) {
    json moved = {{"reason", start.moved->reason}};
    if (start.moved->reason == "link_capacity") {
      moved["capacity"] = capacity_section(start.moved->capacity);
    } else if (start.moved->reason != "no_step") {
      moved["evidence"] = evidence_section(start.moved->evidence);
    }
    section["moved"] = moved;
  }
  return section;
}

json convergence_section(const McmleResult& m) {
  const ConvergenceTest& t = m.final_test;
  json section = {{"t_ratios", numbers(t.t_ratio)},
                  {"max_abs_t_ratio", finite_or_null(t.max_abs_t)},
                  {"hotelling_statistic", finite_or_null(t.hotelling)},
                  {"hotelling_p_value", finite_or_null(t.p_value)},
                  {"effective_sample_size", finite_or_null(t.effective_size)},
                  {"effective_sizes", numbers(m.final_moments.effective_size)},
                  {"networks", m.final_moments.networks}};
  if (m.check) {
    section["simulation_check"] = {{"passed", m.check->passed},
                                   {"t_ratios", numbers(m.check->t_ratio)},
                                   {"allowances", numbers(m.check->allowance)}};
  }
  return section;
}

// The iterations, the convergence figures of the final sample, the start and, when it did not
// converge, the evidence of maximum likelihood by MCMC.
}  // namespace

json mcmle_details(const McmleResult& m) {
  json section;
  section["iterations"] = m.iterations;
  section["stop_reason"] = m.stop_reason;
  section["start"] = start_section(m.start);
  if (m.stop_reason == "dyad_independent") {
    section["exact"] = true;
    return section;
  }
  section["convergence"] = convergence_section(m);
  json history = json::array();
  for (const McmleIteration& i : m.history) {
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
                         {"denser", probe_section(m.probes->dense)}};
  }
  if (m.end != McmleEnd::converged) {
    section["best"] = {{"iteration", m.best.iteration},
                       {"coefficients", numbers(m.best.theta)},
                       {"max_abs_t_ratio", finite_or_null(m.best.max_abs_t)},
                       {"distance", finite_or_null(m.best.distance)}};
    if (m.evidence) section["evidence"] = evidence_section(*m.evidence);
    if (m.capacity.found) section["capacity"] = capacity_section(m.capacity);
  }
  return section;
}

}  // namespace tarn
