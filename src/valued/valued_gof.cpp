#include "valued/valued_gof.h"

#include <algorithm>

namespace tarn {

namespace {

void count(std::vector<double>& distribution, std::int64_t value) {
  const auto at = static_cast<std::size_t>(value);
  if (distribution.size() <= at) distribution.resize(at + 1, 0.0);
  distribution[at] += 1.0;
}

// A distribution over 0, 1, 2, ... of each network, padded with zeros to the longest.
GofPanel distribution_panel(std::string key, std::string title, std::string axis_label,
                            std::vector<double> observed,
                            std::vector<std::vector<double>> simulated) {
  std::size_t length = observed.size();
  for (const auto& values : simulated) length = std::max(length, values.size());
  observed.resize(length, 0.0);
  for (auto& values : simulated) values.resize(length, 0.0);
  std::vector<std::string> labels;
  for (std::size_t k = 0; k < length; ++k) labels.push_back(std::to_string(k));
  return {std::move(key),    std::move(title),    std::move(axis_label),
          std::move(labels), std::move(observed), std::move(simulated)};
}

template <class Get>
GofPanel feature_panel(std::string key, std::string title, std::string axis_label,
                       const ValuedFeatures& observed, const std::vector<ValuedFeatures>& simulated,
                       Get get) {
  std::vector<std::vector<double>> drawn;
  for (const ValuedFeatures& f : simulated) drawn.push_back(get(f));
  return distribution_panel(std::move(key), std::move(title), std::move(axis_label), get(observed),
                            std::move(drawn));
}

}  // namespace

ValuedFeatures valued_features(const ValuedGraph& g) {
  ValuedFeatures f;
  const std::int64_t zeros = g.dyad_count() - g.nonzero_count();
  f.values.assign(1, static_cast<double>(zeros));
  for (int i = 1; i <= g.node_count(); ++i) {
    std::int64_t out = 0, in = 0;
    for (const ValuedEntry& e : g.out(i)) {
      out += e.value;
      if (g.directed() || e.node > i) count(f.values, e.value);
    }
    count(f.out_strength, out);
    if (g.directed()) {
      for (const ValuedEntry& e : g.in(i)) in += e.value;
      count(f.in_strength, in);
    }
  }
  return f;
}

GofSummary summarize_valued_gof(const ValuedFeatures& observed,
                                const std::vector<ValuedFeatures>& simulated, bool directed,
                                const StatisticSample& model_statistics) {
  std::vector<GofPanel> panels;
  panels.push_back(feature_panel("value", "Dyad values", "value", observed, simulated,
                                 [](const ValuedFeatures& f) { return f.values; }));
  if (directed) {
    panels.push_back(feature_panel("out_strength", "Out-strength", "out-strength", observed,
                                   simulated,
                                   [](const ValuedFeatures& f) { return f.out_strength; }));
    panels.push_back(feature_panel("in_strength", "In-strength", "in-strength", observed, simulated,
                                   [](const ValuedFeatures& f) { return f.in_strength; }));
  } else {
    panels.push_back(feature_panel("strength", "Strength", "strength", observed, simulated,
                                   [](const ValuedFeatures& f) { return f.out_strength; }));
  }
  panels.push_back(model_statistics_panel(model_statistics));
  GofSummary summary = summarize_panels(std::move(panels));
  return summary;
}

}  // namespace tarn
