#include "simulate/gof_spread.h"

#include <algorithm>
#include <cmath>

#include "simulate/quantile.h"
#include "simulate/sample_spread.h"

namespace tarn {

bool drawn_standardized(const GofPanel& panel) {
  return panel.key == "model" && panel.simulated.size() >= 2;
}

GofPanel standardized(const GofPanel& panel) {
  GofPanel result = panel;
  const std::size_t networks = panel.simulated.size();
  for (std::size_t v = 0; v < panel.observed.size(); ++v) {
    const ColumnSpread spread = column_spread(panel.simulated, v);
    const double mean = networks == 0 ? panel.observed[v] : spread.mean;
    const double unit = spread.sd > 0 ? spread.sd : 1.0;
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

GofPanel binned(const GofPanel& panel) {
  GofPanel result = panel;
  result.value_labels.clear();
  result.observed.clear();
  for (auto& network : result.simulated) network.clear();
  const std::size_t count = panel.observed.size();
  for (std::size_t first = 0, width = 1; first<count; first += width, width *= first> 1 ? 2 : 1) {
    const std::size_t end = std::min(count, first + width);
    const auto sum = [first, end](const std::vector<double>& values) {
      double total = 0;
      for (std::size_t v = first; v < end; ++v) total += values[v];
      return total;
    };
    result.value_labels.push_back(end - first == 1 ? panel.value_labels[first]
                                                   : panel.value_labels[first] + "-" +
                                                         panel.value_labels[end - 1]);
    result.observed.push_back(sum(panel.observed));
    for (std::size_t k = 0; k < panel.simulated.size(); ++k) {
      result.simulated[k].push_back(sum(panel.simulated[k]));
    }
  }
  result.axis_label += " (bins doubling in width)";
  return result;
}

GofPanel drawn_form(const GofPanel& panel) {
  if (drawn_standardized(panel)) return standardized(panel);
  const bool counts = panel.key == "out_degree" || panel.key == "in_degree" ||
                      panel.key.ends_with("mode_degree") || panel.key.ends_with("_shared");
  if (counts && panel.observed.size() > max_drawn_counts) return binned(panel);
  return panel;
}

}  // namespace tarn
