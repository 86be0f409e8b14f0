#include "estimate/sample_warnings.h"

#include <cmath>
#include <cstdio>

#include "mcmle/mcmle_errors.h"
#include "simulate/sample_spread.h"

namespace tarn {

std::optional<DrivingTerm> driving_term(const SampleSummary& sample, const Model& model,
                                        const std::vector<double>& coefficients) {
  if (sample.statistics.empty()) return std::nullopt;
  std::optional<DrivingTerm> best;
  std::size_t s = 0;
  for (const TermPointer& term : model.terms) {
    double gain = 0;
    for (int k = 0; k < term->statistic_count(); ++k, ++s) {
      const double change = column_spread(sample.statistics, s).mean - sample.observed[s];
      if (change != 0) gain += coefficients[s] * change;
    }
    if (gain > 0 && (!best || gain > best->gain)) {
      best = DrivingTerm{term->text(), gain, term->counts_raw_triads()};
    }
  }
  return best;
}

std::vector<Warning> draw_warnings(const SampleSummary& sample, const Model& model,
                                   const std::vector<double>& coefficients,
                                   bool coefficients_given) {
  Warning w;
  std::optional<DrivingTerm> driving;
  if (sample.capacity_stop.found) {
    w = sample.capacity_stop.warning();
  } else if (sample.evidence.degenerate()) {
    w = evidence_warning("degenerate_draws", sample.evidence);
    driving = driving_term(sample, model, coefficients);
  } else if (sample.evidence.observed_outside()) {
    w = evidence_warning("draws_far_from_observed", sample.evidence);
  } else {
    return {};
  }
  w.add_text("coefficients", coefficients_given ? "given" : "fitted");
  // Triad terms are named where they drive the networks away, and, as the usual cause, wherever
  // a pseudo-likelihood fit of a triad model turned out degenerate.
  if (driving && (driving->counts_raw_triads || coefficients_given)) {
    w.add_text("triad_terms", driving->counts_raw_triads ? driving->term : "")
        .add_text("gw_terms", gw_terms_of(model));
  } else {
    add_dependence_terms(w, model);
  }
  if (driving) w.add_text("driving_term", driving->term).add_number("driving_gain", driving->gain);
  return {w};
}

std::string gw_terms_of(const Model& model) {
  std::string weighted;
  for (const TermPointer& term : model.terms) {
    if (term->weighs_geometrically()) weighted += (weighted.empty() ? "" : ", ") + term->text();
  }
  return weighted;
}

Warning& add_dependence_terms(Warning& warning, const Model& model) {
  std::string triads;
  for (const TermPointer& term : model.terms) {
    if (term->counts_raw_triads()) triads += (triads.empty() ? "" : ", ") + term->text();
  }
  return warning.add_text("triad_terms", triads).add_text("gw_terms", gw_terms_of(model));
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

std::optional<Warning> errors_precision_warning(const SampleMoments& final_moments,
                                                int coefficients, double asked) {
  const double effective = spread_effective_networks(final_moments);
  const double reached = error_precision(effective, coefficients);
  if (reached <= asked) return std::nullopt;
  auto percent = [](double share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2g", 100.0 * share);
    return std::string(text);
  };
  return Warning{"errors_less_precise"}
      .add_count("effective", static_cast<std::int64_t>(std::floor(effective)))
      .add_text("reached", std::isfinite(reached) ? percent(reached) : "")
      .add_text("asked", percent(asked));
}

}  // namespace tarn
