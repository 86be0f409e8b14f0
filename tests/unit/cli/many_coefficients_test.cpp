// A model of more coefficients than the dialogue's 64, fitted from the command line: edges and
// nodemix on an attribute of 11 levels (121 coefficients, one per ordered pair of levels, the
// first cell standing for edges). The model is saturated in the cells, so its pseudo-likelihood
// estimates are logits of the cells' tie proportions, and its naive errors those of independent
// proportions: closed forms, checked on networks of 55 and 110 nodes.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/run_folder.h"

namespace tarn {
namespace {

constexpr int levels = 11;

struct CellNetwork {
  std::string links = "source,target\n";
  std::string attributes = "id,kind\n";
  // By cell (sender level a, receiver level b) at a + b * levels: dyads and ties.
  std::vector<double> dyads, ties;
};

// Node i has level (i - 1) % levels; the first 1 + (3a + 7b) % 13 dyads of each cell, senders
// then receivers ascending, are ties, so every cell has ties and dyads without.
CellNetwork cell_network(int n) {
  CellNetwork net;
  net.dyads.assign(levels * levels, 0.0);
  net.ties.assign(levels * levels, 0.0);
  for (int i = 1; i <= n; ++i) {
    net.attributes += std::to_string(i) + ",L" + std::to_string(10 + (i - 1) % levels) + "\n";
  }
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const int a = (i - 1) % levels, b = (j - 1) % levels, cell = a + b * levels;
      net.dyads[std::size_t(cell)] += 1.0;
      if (net.dyads[std::size_t(cell)] <= 1 + (3 * a + 7 * b) % 13) {
        net.ties[std::size_t(cell)] += 1.0;
        net.links += std::to_string(i) + "," + std::to_string(j) + "\n";
      }
    }
  }
  return net;
}

double logit_of(const CellNetwork& net, int cell) {
  const double t = net.ties[std::size_t(cell)], d = net.dyads[std::size_t(cell)];
  return std::log(t / (d - t));
}

double variance_of_logit(const CellNetwork& net, int cell) {
  const double t = net.ties[std::size_t(cell)], d = net.dyads[std::size_t(cell)];
  return 1.0 / t + 1.0 / (d - t);
}

TEST(ManyCoefficients, SaturatedNodemixFitsToTheLogitsOfItsCells) {
  for (const int n : {55, 110}) {
    SCOPED_TRACE(n);
    const CellNetwork net = cell_network(n);
    const auto run =
        test::run_command({{"net.csv", net.links}, {"attributes.csv", net.attributes}},
                          {"fit", "net.csv", "-m", "edges + nodemix(kind)", "--attributes",
                           "attributes.csv", "--json", "f.json", "-q"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto parameters = nlohmann::json::parse(run.files.at("f.json"))["parameters"];
    ASSERT_EQ(parameters.size(), std::size_t(levels * levels));
    const double edges = logit_of(net, 0);
    EXPECT_NEAR(double(parameters[0]["estimate"]), edges, 1e-8);
    EXPECT_NEAR(double(parameters[0]["std_error"]), std::sqrt(variance_of_logit(net, 0)), 1e-8);
    for (int cell = 1; cell < levels * levels; ++cell) {
      const auto& p = parameters[std::size_t(cell)];
      const std::string name = "mix.kind.L" + std::to_string(10 + cell % levels) + ".L" +
                               std::to_string(10 + cell / levels);
      ASSERT_EQ(p["term"], name);
      EXPECT_NEAR(double(p["estimate"]), logit_of(net, cell) - edges, 1e-8) << name;
      EXPECT_NEAR(double(p["std_error"]),
                  std::sqrt(variance_of_logit(net, cell) + variance_of_logit(net, 0)), 1e-8)
          << name;
    }
  }
}

}  // namespace
}  // namespace tarn
