#include "simulate/gof_spread.h"

#include <algorithm>
#include <cmath>

#include "simulate/quantile.h"

namespace tarn {

bool drawn_standardized(const GofPanel& panel) {
  return panel.key == "model" && panel.simulated.size() >= 2;
}

GofPanel standardized(const GofPanel& panel) {
  GofPanel result = panel;
  const std::size_t networks = panel.simulated.size();
  for (std::size_t v = 0; v < panel.observed.size(); ++v) {
    double sum = 0;
    for (std::size_t k = 0; k < networks; ++k) sum += panel.simulated[k][v];
    const double mean = networks == 0 ? panel.observed[v] : sum / static_cast<double>(networks);
    double squares = 0;
    for (std::size_t k = 0; k < networks; ++k) {
      squares += (panel.simulated[k][v] - mean) * (panel.simulated[k][v] - mean);
    }
    const double sd = networks < 2 ? 0.0 : std::sqrt(squares / static_cast<double>(networks - 1));
    const double unit = sd > 0 ? sd : 1.0;
    result.observed[v] = (panel.observed[v] - mean) / unit;
    for (std::size_t k = 0; k < networks; ++k) {
      result.simulated[k][v] = (panel.simulated[k][v] - mean) / unit;
    }
  }
  return result;
}

std::vector<ValueSpread> spreads_of(const GofPanel& panel) {
  std::vector<ValueSpread> spreads;
  std::vector<double> values;
  for (std::size_t v = 0; v < panel.observed.size(); ++v) {
    ValueSpread spread{panel.observed[v]};
    values.clear();
    for (const auto& network : panel.simulated) {
      if (std::isfinite(network[v])) values.push_back(network[v]);
    }
    if (!values.empty()) {
      std::sort(values.begin(), values.end());
      spread.simulated = true;
      spread.min = values.front();
      spread.max = values.back();
      spread.first_quartile = quantile_type7(values, 0.25);
      spread.median = quantile_type7(values, 0.5);
      spread.third_quartile = quantile_type7(values, 0.75);
      spread.lower = quantile_type7(values, 0.025);
      spread.upper = quantile_type7(values, 0.975);
    }
    spreads.push_back(spread);
  }
  return spreads;
}

}  // namespace tarn
