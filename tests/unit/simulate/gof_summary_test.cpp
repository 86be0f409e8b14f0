#include "simulate/gof_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarn {
namespace {

using Values = std::vector<double>;
using Labels = std::vector<std::string>;

const GofPanel& panel_of(const GofSummary& summary, const std::string& key) {
  for (const auto& panel : summary.panels) {
    if (panel.key == key) return panel;
  }
  throw std::logic_error("no panel " + key);
}

const GofRow& row_of(const GofSummary& summary, const std::string& feature,
                     const std::string& value) {
  for (const auto& row : summary.rows) {
    if (row.feature == feature && row.value == value) return row;
  }
  throw std::logic_error("no row " + feature + " " + value);
}

TEST(GofPValue, TwoSidedShareOfSimulatedNetworks) {
  const Values one_to_ten = {4, 2, 9, 1, 3, 5, 10, 6, 7, 8};
  EXPECT_DOUBLE_EQ(monte_carlo_p_value(one_to_ten, 9.5), 0.2);   // one of ten at least 9.5
  EXPECT_DOUBLE_EQ(monte_carlo_p_value(one_to_ten, 10.0), 0.2);  // ties count on both sides
  EXPECT_DOUBLE_EQ(monte_carlo_p_value(one_to_ten, 1.0), 0.2);
  EXPECT_DOUBLE_EQ(monte_carlo_p_value(one_to_ten, 3.0), 0.6);  // 3 of 10 at most 3
  EXPECT_EQ(monte_carlo_p_value(one_to_ten, 5.0), 1.0);         // 2 * 0.5
  EXPECT_EQ(monte_carlo_p_value(one_to_ten, 5.5), 1.0);         // 2 * 0.5
  EXPECT_EQ(monte_carlo_p_value(one_to_ten, 11.0), 0.0);
  EXPECT_EQ(monte_carlo_p_value({0.0, 0.0}, 0.0), 1.0);  // capped at 1
  EXPECT_TRUE(std::isnan(monte_carlo_p_value({}, 1.0)));
}

NetworkFeatures features(Values out_degree, Values geodesic, double unreachable) {
  NetworkFeatures f;
  f.out_degree = std::move(out_degree);
  f.in_degree = {1.0};
  f.edgewise_shared = {1.0};
  f.dyadwise_shared = {0.5, 0.5};
  f.geodesic = std::move(geodesic);
  f.unreachable = unreachable;
  f.triad_census = {3, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return f;
}

TEST(GofSummary, PadsDistributionsAndSummarizesEachValue) {
  const NetworkFeatures observed = features({0.5, 0.5}, {0.5}, 0.5);
  const std::vector<NetworkFeatures> simulated = {
      features({0.25, 0.5, 0.25}, {0.25, 0.25, 0.25}, 0.25), features({1.0}, {1.0}, 0.0)};
  const StatisticSample model{{"edges", "mutual"}, {10, 5}, {{8, 2}, {12, 4}, {10, 3}, {9, 5}}};
  const GofSummary summary = summarize_gof(observed, simulated, model);

  ASSERT_EQ(summary.panels.size(), 7u);
  std::size_t values = 0;  // the panels' order is pinned by the recorded gof.csv files
  for (const GofPanel& panel : summary.panels) values += panel.observed.size();
  EXPECT_EQ(summary.rows.size(), values);

  const GofPanel& out = panel_of(summary, "out_degree");
  EXPECT_EQ(out.value_labels, (Labels{"0", "1", "2"}));
  EXPECT_EQ(out.observed, (Values{0.5, 0.5, 0.0}));
  EXPECT_EQ(out.simulated, (std::vector<Values>{{0.25, 0.5, 0.25}, {1.0, 0.0, 0.0}}));

  const GofRow& zero = row_of(summary, "out_degree", "0");
  EXPECT_EQ(zero.observed, 0.5);
  EXPECT_EQ(zero.min, 0.25);
  EXPECT_EQ(zero.mean, 0.625);
  EXPECT_EQ(zero.max, 1.0);
  EXPECT_DOUBLE_EQ(zero.lower, 0.26875);  // 0.25 + 0.025 * 0.75
  EXPECT_DOUBLE_EQ(zero.upper, 0.98125);
  EXPECT_EQ(zero.p_value, 1.0);
  const GofRow& two = row_of(summary, "out_degree", "2");
  EXPECT_EQ(two.observed, 0.0);
  EXPECT_EQ(two.p_value, 1.0);  // 2 * min(2/2, 1/2)
  EXPECT_EQ(two.mean, 0.125);

  const GofPanel& geodesic = panel_of(summary, "geodesic");
  EXPECT_EQ(geodesic.value_labels, (Labels{"1", "2", "3", "inf"}));
  EXPECT_EQ(geodesic.observed, (Values{0.5, 0.0, 0.0, 0.5}));
  EXPECT_EQ(geodesic.simulated, (std::vector<Values>{{0.25, 0.25, 0.25, 0.25}, {1, 0, 0, 0}}));
  const GofRow& inf = row_of(summary, "geodesic", "inf");
  EXPECT_EQ(inf.min, 0.0);
  EXPECT_EQ(inf.max, 0.25);
  EXPECT_EQ(inf.p_value, 0.0);  // no simulated network has half its pairs unreachable

  const GofPanel& triads = panel_of(summary, "triad_census");
  EXPECT_EQ(triads.value_labels.front(), "003");
  EXPECT_EQ(triads.value_labels.back(), "300");
  ASSERT_EQ(triads.observed.size(), 16u);
  EXPECT_EQ(triads.observed[0], 0.75);
  EXPECT_EQ(triads.observed[1], 0.25);

  // edges: 8 9 10 12 against 10; mutual: 2 3 4 5 against 5.
  const GofRow& edges = row_of(summary, "model", "edges");
  EXPECT_EQ(edges.min, 8.0);
  EXPECT_EQ(edges.mean, 9.75);
  EXPECT_EQ(edges.max, 12.0);
  EXPECT_DOUBLE_EQ(edges.lower, 8.075);                        // position 3 * 0.025 between 8 and 9
  EXPECT_DOUBLE_EQ(edges.upper, 11.85);                        // position 2.925 between 10 and 12
  EXPECT_EQ(edges.p_value, 1.0);                               // 2 * min(2/4, 3/4)
  EXPECT_EQ(row_of(summary, "model", "mutual").p_value, 0.5);  // 2 * 1/4
}

TEST(GofSummary, GeodesicPanelEndsWithInfEvenWithoutPaths) {
  const GofSummary summary = summarize_gof(features({1.0}, {0.0}, 1.0), {}, {});
  const GofPanel& geodesic = panel_of(summary, "geodesic");
  EXPECT_EQ(geodesic.value_labels, (Labels{"1", "inf"}));
  EXPECT_EQ(geodesic.observed, (Values{0.0, 1.0}));
}

TEST(GofSummary, NoSimulatedNetworkGivesNaN) {
  const GofSummary summary = summarize_gof(features({1.0}, {1.0}, 0.0), {}, {{"edges"}, {4}, {}});
  EXPECT_EQ(summary.panels.size(), 7u);
  for (const auto& row : summary.rows) {
    EXPECT_TRUE(std::isnan(row.min) && std::isnan(row.mean) && std::isnan(row.max) &&
                std::isnan(row.lower) && std::isnan(row.upper) && std::isnan(row.p_value))
        << row.feature << " " << row.value;
  }
  EXPECT_EQ(row_of(summary, "model", "edges").observed, 4.0);
}

TEST(GofSummary, ModelPanelOnlyWithStatistics) {
  const NetworkFeatures f = features({1.0}, {1.0}, 0.0);
  EXPECT_EQ(summarize_gof(f, {f}, {}).panels.size(), 6u);
  EXPECT_THROW(summarize_gof(f, {f}, {{"edges", "mutual"}, {1}, {}}), std::invalid_argument);
  EXPECT_THROW(summarize_gof(f, {f}, {{"edges"}, {1}, {{1}, {1, 2}}}), std::invalid_argument);
}

TEST(GofSummary, EmptyCensusGivesZeroShares) {
  NetworkFeatures f = features({1.0}, {0.0}, 0.0);
  f.triad_census = {};
  const GofSummary summary = summarize_gof(f, {f, f}, {});
  for (const double share : panel_of(summary, "triad_census").observed) EXPECT_EQ(share, 0.0);
}

}  // namespace
}  // namespace tarn
