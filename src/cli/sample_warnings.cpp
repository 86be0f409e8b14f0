#include "cli/sample_warnings.h"

#include <cmath>
#include <cstdio>

namespace tarn {

Warning degeneracy_warning(const Degeneracy& degeneracy, const Model& model,
                           bool coefficients_given) {
  std::string triads;
  for (const TermPointer& term : model.terms) {
    if (term->counts_raw_triads()) triads += (triads.empty() ? "" : ", ") + term->text();
  }
  return degeneracy.warning()
      .add_text("coefficients", coefficients_given ? "given" : "fitted")
      .add_text("triad_terms", triads);
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
