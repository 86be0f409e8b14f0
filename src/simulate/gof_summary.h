#pragma once
// The goodness-of-fit comparison of an observed network with networks simulated from a fitted
// model: per feature (degree distributions, shared partners, geodesic distances, triad census and
// the model's own statistics) the observed value, the spread of the simulated values and a Monte
// Carlo p-value, as R's statnet gof() gives them.

#include <cstdint>
#include <string>
#include <vector>

#include "simulate/network_features.h"
#include "simulate/quantile.h"

namespace tarn {

// The model's own statistics of the observed network and of each simulated network.
struct StatisticSample {
  std::vector<std::string> names;
  std::vector<double> observed;
  std::vector<std::vector<double>> simulated;  // [network][statistic]
};

// One feature: a distribution (or list of statistics) of the observed network and of each
// simulated network, over the same values.
struct GofPanel {
  // out_degree, in_degree, edgewise_shared, dyadwise_shared, geodesic, triad_census, model;
  // undirected: degree, edgewise_shared, dyadwise_shared, geodesic, model
  std::string key;
  std::string title;       // "Out-degree"
  std::string axis_label;  // the quantity along the horizontal axis: "out-degree"
  std::vector<std::string> value_labels;
  std::vector<double> observed;
  std::vector<std::vector<double>> simulated;  // [network][value]
};

// One value of one feature. Quantiles follow R's default (type 7); with no simulated network
// every simulated figure and the p-value are NaN.
struct GofRow {
  std::string feature, value;
  double observed, min, mean, max;
  double lower, upper;  // the 2.5% and 97.5% points of the simulated values
  // min(1, 2 min(P(sim >= obs), P(sim <= obs))), P the share of simulated networks.
  double p_value;
};

struct GofSummary {
  std::vector<GofPanel> panels;
  std::vector<GofRow> rows;  // every value of every panel, panel by panel
  // The nodes and the sources of the geodesic distances (NetworkFeatures::geodesic_sources):
  // fewer sources than nodes when the shares are estimated from a sample of them.
  std::int64_t nodes = 0, geodesic_sources = 0;
  bool geodesics_sampled() const { return geodesic_sources < nodes; }
};

// The panels are those of the observed network's kind (NetworkFeatures::directed), and the
// simulated networks must be of the same kind. Distributions are padded with zeros to the longest
// among observed and simulated; geodesic
// distances run 1, 2, ... and end with "inf" for unreachable pairs; the triad census is given as
// shares of all triads. The model panel is left out when the sample names no statistic. Throws
// std::invalid_argument when the sample's lengths do not agree with its names.
GofSummary summarize_gof(const NetworkFeatures& observed,
                         const std::vector<NetworkFeatures>& simulated,
                         const StatisticSample& model_statistics);

// The panel of the model's statistics (throws as summarize_gof), and the rows of panels made
// elsewhere (a network of counts' values and strengths), panel by panel.
GofPanel model_statistics_panel(const StatisticSample& model_statistics);
GofSummary summarize_panels(std::vector<GofPanel> panels);

// min(1, 2 min(P(sim >= obs), P(sim <= obs))); NaN for no simulated values.
double monte_carlo_p_value(const std::vector<double>& simulated, double observed);

}  // namespace tarn
