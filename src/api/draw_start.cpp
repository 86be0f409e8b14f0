#include "api/draw_start.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "api/records.h"
#include "estimate/checked_fit.h"
#include "estimate/sampling_settings.h"
#include "report/tidy_csv.h"
#include "simulate/sample_spread.h"
#include "tarnwick/errors.h"

namespace tarn {

namespace {

// What the messages call the coefficients.
std::string coefficients_name(const tarnwick::DrawSettings& s) {
  return s.coefficients_option.empty() ? std::string("the coefficients") : s.coefficients_option;
}

// The pseudo-likelihood estimate to draw at, when no coefficients are given.
void take_fitted(const Study& study, const tarnwick::DrawSettings& s, DrawStart& start) {
  refuse_curved(study.model, "give its weight and decay with " + coefficients_name(s));
  const CheckedFit fit = fit_and_check(study);
  start.fit_warnings = fit.warnings;
  start.usable = fit.usable();
  if (!start.usable) return;
  for (int p = 1; p <= study.model.parameter_count(); ++p) {
    start.coefficients.push_back(fit.result.estimate(p));
  }
}

}  // namespace

DrawStart draw_start(const Study& study, const tarnwick::DrawSettings& s, bool empty_start) {
  check_can_simulate(study);
  DrawStart start;
  const SamplingSettings sampling{s.burnin, s.interval, s.seed, s.threads, s.chains};
  start.sampler = sampling.settings(study);
  start.empty_start = empty_start;
  // Far from the empty network is where the model's networks are: a burn-in long enough to get
  // there, 4 toggles per dyad.
  if (empty_start && s.burnin < 0 && s.interval < 0) {
    start.sampler.burnin = std::max<std::int64_t>(start.sampler.burnin, 4 * study.dyad_count());
  }
  const bool listed = !s.coefficient_list.empty();
  if (!listed && s.coefficients.empty()) {
    take_fitted(study, s, start);
    return start;
  }
  const std::string list = listed ? s.coefficient_list : comma_list(s.coefficients);
  const std::string option = s.coefficients_option.empty() ? "coefficients" : s.coefficients_option;
  // The sampler takes canonical parameters: a curved term's weight and decay mapped to them.
  start.coefficients = study.model.canonical(coefficients_of(list, study.model, option));
  start.given = true;
  return start;
}

void throw_no_estimate(const std::vector<tarnwick::WarningRecord>& fit_warnings) {
  std::string why;
  for (const tarnwick::WarningRecord& w : fit_warnings) why += " " + w.message;
  throw tarnwick::ModelError("the fit gave no estimate to simulate from; give the coefficients." +
                             why);
}

void write_sample_table(const Study& study, const DrawStart& start, const SampleSummary& sample,
                        std::ostream& out) {
  char line[160];
  std::snprintf(line, sizeof line, " %-16s %14s %14s %14s %10s\n", "statistic",
                start.empty_start ? "start" : "observed", "mean", "sd", "lag-1 acf");
  out << '\n' << line;
  const std::vector<std::string> names = study.model.statistic_names();
  for (int p = 0; p < study.model.parameter_count(); ++p) {
    const ColumnSpread spread = column_spread(sample.statistics, std::size_t(p));
    const double sd = sample.statistics.size() > 1 ? spread.sd : NAN;
    const double r = p < static_cast<int>(sample.lag1_autocorrelation.size())
                         ? sample.lag1_autocorrelation[std::size_t(p)]
                         : NAN;
    char acf[16] = "n/a";
    if (std::isfinite(r)) std::snprintf(acf, sizeof acf, "%.3f", r);
    std::snprintf(line, sizeof line, " %-16s %14.2f %14.2f %14.2f %10s\n",
                  names[std::size_t(p)].c_str(), sample.observed[std::size_t(p)], spread.mean, sd,
                  acf);
    out << line;
  }
  const SamplerSettings& s = start.sampler;
  std::snprintf(line, sizeof line,
                "\n %zu networks from %d chains (seed %llu, burn-in %lld, interval %lld "
                "toggles); %lld proposals, %.1f%% accepted\n",
                sample.statistics.size(), s.chains, static_cast<unsigned long long>(s.seed),
                static_cast<long long>(s.burnin), static_cast<long long>(s.interval),
                static_cast<long long>(sample.proposals),
                100.0 * static_cast<double>(sample.accepted) /
                    static_cast<double>(std::max<std::int64_t>(sample.proposals, 1)));
  out << line;
}

void write_statistics_csv(const Study& study, bool empty_start, const SampleSummary& sample,
                          std::ostream& out) {
  out << "network";
  for (const std::string& name : study.model.statistic_names()) out << ',' << csv_text(name);
  out << '\n' << (empty_start ? "start" : "observed");
  for (double v : sample.observed) out << ',' << csv_number(v);
  out << '\n';
  for (std::size_t k = 0; k < sample.statistics.size(); ++k) {
    out << k + 1;
    for (double v : sample.statistics[k]) out << ',' << csv_number(v);
    out << '\n';
  }
}

std::string edge_list(const TermGraph& graph, const NodeLabels& labels) {
  std::ostringstream out;
  out << (graph.directed() ? "sender,receiver\n" : "node1,node2\n");
  for (const auto& [a, b] : graph.link_list()) {
    out << labels.name(a) << ',' << labels.name(b) << '\n';
  }
  return out.str();
}

}  // namespace tarn
