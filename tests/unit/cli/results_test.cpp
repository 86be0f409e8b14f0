// Results that say what they are: a pseudo-likelihood estimate is where its likelihood is
// highest, not where a bound stopped it. (Naive errors of a dyad-dependent model said to be
// suspect, and not otherwise: the standard error and JSON of Recorded.mple_advice, mple_godambe and
// mple_exact_likelihood; the tidy CSV's type columns as integers: Recorded.mple_blocks and
// mple_samplike.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::run_command;

// 43 nodes: two send one link, forty send two, one sends three. With edges and
// gwodegree(0.2, fixed=TRUE) the change statistic of i->j is r^k, r = 1 - e^-0.2 and k the
// out-degree of i without the dyad, and the pseudo-likelihood is highest far past 15.
std::vector<std::vector<int>> out_links() {
  constexpr int n = 43;
  std::vector<std::vector<int>> out(n + 1);
  for (int i = 1; i <= n; ++i) {
    const std::size_t degree = i <= 2 ? 1 : i == n ? 3 : 2;
    for (int k = 0; out[std::size_t(i)].size() < degree; ++k) {
      const int j = (i * 7 + k * 11) % n + 1;
      auto& row = out[std::size_t(i)];
      if (j != i && std::find(row.begin(), row.end(), j) == row.end()) row.push_back(j);
    }
  }
  return out;
}

TEST(Results, APseudoLikelihoodEstimateIsNotHeldAtABound) {
  const std::vector<std::vector<int>> out = out_links();
  std::string text = "source,target\n";
  for (std::size_t i = 1; i < out.size(); ++i)
    for (const int j : out[i]) text += std::to_string(i) + "," + std::to_string(j) + "\n";
  const CommandRun r =
      run_command({{"n.csv", text}},
                  {"fit", "n.csv", "-m", "edges + gwodegree(0.2, fixed=TRUE)", "--json", "-"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["outcome"], "converged");
  const double edges = json["parameters"][0]["estimate"];
  const double weight = json["parameters"][1]["estimate"];
  EXPECT_GT(weight, 40.0);
  // The pseudo-score, counted dyad by dyad, is 0 at the estimate.
  const double r_decay = 1.0 - std::exp(-0.2);
  double score[2] = {0.0, 0.0}, scale = 0.0;
  const int n = static_cast<int>(out.size()) - 1;
  for (int i = 1; i <= n; ++i) {
    const auto& row = out[std::size_t(i)];
    for (int j = 1; j <= n; ++j) {
      if (j == i) continue;
      const int y = std::find(row.begin(), row.end(), j) != row.end() ? 1 : 0;
      const double x = std::pow(r_decay, static_cast<double>(row.size()) - y);
      const double p = 1.0 / (1.0 + std::exp(-(edges + weight * x)));
      score[0] += y - p;
      score[1] += x * (y - p);
      scale += x;
    }
  }
  EXPECT_NEAR(score[0] / n, 0.0, 1e-6);
  EXPECT_NEAR(score[1] / scale, 0.0, 1e-6);
}

}  // namespace
}  // namespace tarn
