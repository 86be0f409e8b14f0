// A two-mode network's goodness-of-fit features: the degrees and the dyad-wise shared partners
// of each mode, against counts made here from the biadjacency matrix.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "simulate/gof_summary.h"
#include "simulate/network_features.h"
#include "support/networks.h"

namespace tarn {
namespace {

using Matrix = std::vector<std::vector<int>>;

std::vector<double> shares_of(std::vector<double> counts, double total) {
  while (counts.size() > 1 && counts.back() == 0) counts.pop_back();
  for (double& c : counts) c /= total;
  return counts;
}

void add(std::vector<double>& counts, int value) {
  if (static_cast<std::size_t>(value) >= counts.size()) counts.resize(value + 1U, 0.0);
  counts[static_cast<std::size_t>(value)] += 1;
}

// Degrees and common neighbours of the rows of b (b transposed: of the columns).
void expect_mode(const Matrix& b, const std::vector<double>& degree,
                 const std::vector<double>& shared) {
  const auto rows = static_cast<int>(b.size());
  const auto columns = static_cast<int>(b[0].size());
  std::vector<double> degrees, partners;
  for (int i = 0; i < rows; ++i) {
    int d = 0;
    for (int k = 0; k < columns; ++k) d += b[i][k];
    add(degrees, d);
    for (int j = i + 1; j < rows; ++j) {
      int common = 0;
      for (int k = 0; k < columns; ++k) common += b[i][k] * b[j][k];
      add(partners, common);
    }
  }
  EXPECT_EQ(degree, shares_of(degrees, rows));
  EXPECT_EQ(shared, shares_of(partners, rows * (rows - 1) / 2.0));
}

TEST(TwoModeFeatures, EachModeCountsAsTheBiadjacencyMatrixDoes) {
  std::mt19937_64 random(5);
  for (const auto& [n1, n2] : {std::pair{3, 4}, std::pair{7, 5}, std::pair{12, 30}}) {
    Matrix b(n1, std::vector<int>(n2, 0)), t(n2, std::vector<int>(n1, 0));
    test::LinkList links;
    for (int i = 0; i < n1; ++i) {
      for (int k = 0; k < n2; ++k) {
        if (random() % 3 != 0) continue;
        b[i][k] = t[k][i] = 1;
        links.emplace_back(i + 1, n1 + k + 1);
      }
    }
    NetworkBuilder builder("test links", dialogue_limits);
    builder.declare_nodes(n1 + n2);
    long line = 0;
    for (const auto& [i, j] : links) builder.add_link(i, j, ++line);
    Network network = std::move(builder).finish();
    network.bipartite = n1;
    const NetworkFeatures f = undirected_network_features(network);
    SCOPED_TRACE(n1);
    EXPECT_EQ(f.first_mode, n1);
    expect_mode(b, f.mode_degree[0], f.mode_dyadwise_shared[0]);
    expect_mode(t, f.mode_degree[1], f.mode_dyadwise_shared[1]);
    network.bipartite = 0;
    EXPECT_EQ(f.geodesic, undirected_network_features(network).geodesic);

    // The comparison shows each mode apart and no shared partners of links (there are none).
    std::vector<std::string> keys;
    for (const GofPanel& panel : summarize_gof(f, {f, f}, {}).panels) keys.push_back(panel.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"first_mode_degree", "second_mode_degree",
                                              "first_mode_dyadwise_shared",
                                              "second_mode_dyadwise_shared", "geodesic"}));
  }
}

}  // namespace
}  // namespace tarn
