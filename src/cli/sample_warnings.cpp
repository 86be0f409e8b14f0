#include "cli/sample_warnings.h"

#include <cmath>
#include <cstdio>

namespace tarn {

std::optional<DrivingTerm> driving_term(const Study& study, const std::vector<double>& coefficients,
                                        int networks, const SamplerSettings& settings,
                                        const Degeneracy& degeneracy) {
  ChainStates ends;
  const SampleSummary again =
      sample_networks(study, coefficients, networks, settings, {}, nullptr, tie_no_tie_ratio, &ends);
  // The reported chain is the lowest-numbered one that left the band (or passed the capacity);
  // the same seed walks it the same way again.
  std::size_t chain = ends.graphs.size();
  for (std::size_t c = 0; c < ends.graphs.size(); ++c) {
    const std::int64_t links = ends.graphs[c].link_count();
    if (links == degeneracy.links &&
        (links < degeneracy.low || links > degeneracy.high || degeneracy.capacity)) {
      chain = c;
      break;
    }
  }
  if (chain == ends.graphs.size()) return std::nullopt;
  const std::vector<double>& reached = ends.statistics[chain];
  std::optional<DrivingTerm> best;
  std::size_t s = 0;
  for (const TermPointer& term : study.model.terms) {
    double gain = 0;
    for (int k = 0; k < term->statistic_count(); ++k, ++s) {
      const double change = reached[s] - again.observed[s];
      if (change != 0) gain += coefficients[s] * change;
    }
    if (gain > 0 && (!best || gain > best->gain || std::isnan(best->gain))) {
      best = DrivingTerm{term->text(), gain, term->counts_raw_triads()};
    }
  }
  return best;
}

Warning degeneracy_warning(const Degeneracy& degeneracy, const Model& model,
                           bool coefficients_given, const std::optional<DrivingTerm>& driving) {
  // Triad terms are named where they drive the networks away, and, as the usual cause, wherever a
  // pseudo-likelihood fit of a triad model turned out degenerate.
  std::string triads;
  if (driving && (driving->counts_raw_triads || coefficients_given)) {
    if (driving->counts_raw_triads) triads = driving->term;
  } else {
    for (const TermPointer& term : model.terms) {
      if (term->counts_raw_triads()) triads += (triads.empty() ? "" : ", ") + term->text();
    }
  }
  Warning w = degeneracy.warning()
                  .add_text("coefficients", coefficients_given ? "given" : "fitted")
                  .add_text("triad_terms", triads);
  if (driving) w.add_text("driving_term", driving->term).add_number("driving_gain", driving->gain);
  return w;
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
