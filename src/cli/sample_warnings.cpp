#include "cli/sample_warnings.h"

#include <cmath>
#include <cstdio>

namespace tarn {

std::vector<Warning> draw_warnings(const SampleSummary& sample, const Model& model,
                                   bool coefficients_given) {
  Warning w;
  if (sample.capacity_stop.found) {
    w = sample.capacity_stop.warning();
  } else if (sample.evidence.degenerate()) {
    w = evidence_warning("degenerate_draws", sample.evidence);
  } else if (sample.evidence.observed_outside()) {
    w = evidence_warning("draws_far_from_observed", sample.evidence);
  } else {
    return {};
  }
  w.add_text("coefficients", coefficients_given ? "given" : "fitted");
  return {add_dependence_terms(w, model)};
}

Warning& add_dependence_terms(Warning& warning, const Model& model) {
  std::string triads, weighted;
  for (const TermPointer& term : model.terms) {
    if (term->counts_raw_triads()) triads += (triads.empty() ? "" : ", ") + term->text();
    if (term->weighs_geometrically()) weighted += (weighted.empty() ? "" : ", ") + term->text();
  }
  return warning.add_text("triad_terms", triads).add_text("gw_terms", weighted);
}

std::vector<Warning> autocorrelation_warnings(const SampleSummary& sample, const Model& model,
                                              int chains, const std::string& use) {
  const auto networks = static_cast<std::int64_t>(sample.statistics.size());
  const std::int64_t pairs = std::max<std::int64_t>(networks - chains, 0);
  if (pairs < min_autocorrelation_pairs) {
    return {Warning{"autocorrelation_not_estimated"}
                .add_count("networks", networks)
                .add_count("chains", chains)
                .add_count("pairs", pairs)
                .add_count("needed", min_autocorrelation_pairs)};
  }
  const std::vector<std::string> names = model.statistic_names();
  std::string high;
  for (std::size_t p = 0; p < sample.lag1_autocorrelation.size(); ++p) {
    const double r = sample.lag1_autocorrelation[p];
    if (!(r > 0.5)) continue;
    char value[16];
    std::snprintf(value, sizeof value, "%.2f", r);
    high += (high.empty() ? "" : ", ") + names[p] + " " + value;
  }
  if (high.empty()) return {};
  return {Warning{"autocorrelated_sample"}.add_text("statistics", high).add_text("use", use)};
}

}  // namespace tarn
