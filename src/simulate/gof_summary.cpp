#include "simulate/gof_summary.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "simulate/quantile.h"

namespace tarn {

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string> counting_labels(std::size_t count, int first) {
  std::vector<std::string> labels;
  for (std::size_t k = 0; k < count; ++k) {
    labels.push_back(std::to_string(first + static_cast<int>(k)));
  }
  return labels;
}

std::size_t longest(const std::vector<double>& observed,
                    const std::vector<std::vector<double>>& simulated) {
  std::size_t length = observed.size();
  for (const auto& values : simulated) length = std::max(length, values.size());
  return length;
}

// A distribution over 0, 1, 2, ... taken from every network by `get`, padded with zeros.
template <typename Get>
GofPanel distribution_panel(std::string key, std::string title, std::string axis_label,
                            const NetworkFeatures& observed,
                            const std::vector<NetworkFeatures>& simulated, Get get) {
  GofPanel panel{std::move(key), std::move(title), std::move(axis_label), {}, get(observed), {}};
  for (const auto& features : simulated) panel.simulated.push_back(get(features));
  const std::size_t length = longest(panel.observed, panel.simulated);
  panel.observed.resize(length, 0.0);
  for (auto& values : panel.simulated) values.resize(length, 0.0);
  panel.value_labels = counting_labels(length, 0);
  return panel;
}

// A two-mode network's degrees and dyad-wise shared partners, each mode apart (as ergm's gof
// shows b1degree and b2degree): its links share no partner.
void add_two_mode_panels(const NetworkFeatures& observed,
                         const std::vector<NetworkFeatures>& simulated,
                         std::vector<GofPanel>& panels) {
  for (const std::size_t m : {0U, 1U}) {
    const std::string mode = m == 0 ? "first" : "second";
    panels.push_back(
        distribution_panel(mode + "_mode_degree", "Degree, " + mode + " mode", "degree", observed,
                           simulated, [m](const NetworkFeatures& f) { return f.mode_degree[m]; }));
  }
  for (const std::size_t m : {0U, 1U}) {
    const std::string mode = m == 0 ? "first" : "second";
    panels.push_back(distribution_panel(
        mode + "_mode_dyadwise_shared", "Dyad-wise shared partners, " + mode + " mode",
        "dyad-wise shared partners", observed, simulated,
        [m](const NetworkFeatures& f) { return f.mode_dyadwise_shared[m]; }));
  }
}

GofPanel geodesic_panel(const NetworkFeatures& observed,
                        const std::vector<NetworkFeatures>& simulated) {
  GofPanel panel{"geodesic", "Geodesic distance", "geodesic distance", {}, observed.geodesic, {}};
  for (const auto& features : simulated) panel.simulated.push_back(features.geodesic);
  const std::size_t length = longest(panel.observed, panel.simulated);
  panel.observed.resize(length, 0.0);
  panel.observed.push_back(observed.unreachable);
  for (std::size_t k = 0; k < simulated.size(); ++k) {
    panel.simulated[k].resize(length, 0.0);
    panel.simulated[k].push_back(simulated[k].unreachable);
  }
  panel.value_labels = counting_labels(length, 1);
  panel.value_labels.push_back("inf");
  return panel;
}

std::vector<double> triad_shares(const NetworkFeatures& features) {
  std::int64_t all = 0;
  for (const std::int64_t count : features.triad_census) all += count;
  std::vector<double> shares(features.triad_census.size(), 0.0);
  if (all == 0) return shares;
  for (std::size_t t = 0; t < shares.size(); ++t) {
    shares[t] = static_cast<double>(features.triad_census[t]) / static_cast<double>(all);
  }
  return shares;
}

GofPanel triad_panel(const NetworkFeatures& observed,
                     const std::vector<NetworkFeatures>& simulated) {
  GofPanel panel{"triad_census", "Triad census", "triad type", {}, triad_shares(observed), {}};
  for (const auto& features : simulated) panel.simulated.push_back(triad_shares(features));
  panel.value_labels.assign(triad_type_names.begin(), triad_type_names.end());
  return panel;
}

GofPanel model_panel(const StatisticSample& sample) {
  const std::size_t count = sample.names.size();
  if (sample.observed.size() != count) {
    throw std::invalid_argument("summarize_gof: " + std::to_string(count) +
                                " model statistics named but " +
                                std::to_string(sample.observed.size()) + " observed");
  }
  for (std::size_t k = 0; k < sample.simulated.size(); ++k) {
    if (sample.simulated[k].size() != count) {
      throw std::invalid_argument("summarize_gof: simulated network " + std::to_string(k + 1) +
                                  " has " + std::to_string(sample.simulated[k].size()) +
                                  " model statistics, not " + std::to_string(count));
    }
  }
  return {"model",      "Model statistics", "model statistic",
          sample.names, sample.observed,    sample.simulated};
}

void add_rows(const GofPanel& panel, std::vector<GofRow>& rows) {
  std::vector<double> values(panel.simulated.size());
  for (std::size_t v = 0; v < panel.observed.size(); ++v) {
    double sum = 0.0;
    for (std::size_t k = 0; k < panel.simulated.size(); ++k) {
      values[k] = panel.simulated[k][v];
      sum += values[k];
    }
    GofRow row{panel.key,    panel.value_labels[v], panel.observed[v], not_a_number, not_a_number,
               not_a_number, not_a_number,          not_a_number,      not_a_number};
    row.p_value = monte_carlo_p_value(values, row.observed);
    if (!values.empty()) {
      std::sort(values.begin(), values.end());
      row.min = values.front();
      row.max = values.back();
      row.mean = sum / static_cast<double>(values.size());
      row.lower = quantile_type7(values, 0.025);
      row.upper = quantile_type7(values, 0.975);
    }
    rows.push_back(std::move(row));
  }
}

}  // namespace

GofPanel model_statistics_panel(const StatisticSample& model_statistics) {
  return model_panel(model_statistics);
}

GofSummary summarize_panels(std::vector<GofPanel> panels) {
  GofSummary summary;
  summary.panels = std::move(panels);
  for (const GofPanel& panel : summary.panels) add_rows(panel, summary.rows);
  return summary;
}

double monte_carlo_p_value(const std::vector<double>& simulated, double observed) {
  if (simulated.empty() || std::isnan(observed)) return not_a_number;
  std::size_t at_least = 0, at_most = 0;
  for (const double value : simulated) {
    if (value >= observed) ++at_least;
    if (value <= observed) ++at_most;
  }
  const double count = static_cast<double>(simulated.size());
  const double tail =
      std::min(static_cast<double>(at_least) / count, static_cast<double>(at_most) / count);
  return std::min(1.0, 2.0 * tail);
}

GofSummary summarize_gof(const NetworkFeatures& observed,
                         const std::vector<NetworkFeatures>& simulated,
                         const StatisticSample& model_statistics) {
  GofSummary summary;
  if (observed.directed) {
    summary.panels.push_back(
        distribution_panel("out_degree", "Out-degree", "out-degree", observed, simulated,
                           [](const NetworkFeatures& f) { return f.out_degree; }));
    summary.panels.push_back(
        distribution_panel("in_degree", "In-degree", "in-degree", observed, simulated,
                           [](const NetworkFeatures& f) { return f.in_degree; }));
  } else if (observed.first_mode > 0) {
    add_two_mode_panels(observed, simulated, summary.panels);
  } else {
    summary.panels.push_back(distribution_panel("degree", "Degree", "degree", observed, simulated,
                                                [](const NetworkFeatures& f) { return f.degree; }));
  }
  if (observed.first_mode == 0) {
    summary.panels.push_back(distribution_panel(
        "edgewise_shared", "Edgewise shared partners", "edgewise shared partners", observed,
        simulated, [](const NetworkFeatures& f) { return f.edgewise_shared; }));
    summary.panels.push_back(distribution_panel(
        "dyadwise_shared", "Dyad-wise shared partners", "dyad-wise shared partners", observed,
        simulated, [](const NetworkFeatures& f) { return f.dyadwise_shared; }));
  }
  summary.panels.push_back(geodesic_panel(observed, simulated));
  if (observed.directed) summary.panels.push_back(triad_panel(observed, simulated));
  if (!model_statistics.names.empty() || !model_statistics.observed.empty()) {
    summary.panels.push_back(model_panel(model_statistics));
  }
  for (const auto& panel : summary.panels) add_rows(panel, summary.rows);
  summary.nodes = observed.geodesic_sources > 0 ? observed.node_count : 0;
  summary.geodesic_sources = observed.geodesic_sources;
  return summary;
}

}  // namespace tarn
