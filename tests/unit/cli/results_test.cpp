// Results that say what they are: a pseudo-likelihood estimate is where its likelihood is
// highest, not where a bound stopped it; naive errors of a dyad-dependent model are said to be
// suspect; the tidy CSV's integer columns hold integers only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/json_fields.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
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

Files advice() {
  return {{"advice.csv", test::example("advice.csv")},
          {"attributes.csv", test::example("attributes.csv")}};
}

// As the R tool does, a pseudo-likelihood fit of a dyad-dependent model says that its naive
// errors are suspect, and what gives better ones.
TEST(Results, NaiveErrorsOfADyadDependentModelAreSaidToBeSuspect) {
  const CommandRun dependent = run_command(
      advice(),
      {"fit", "advice.csv", "-m", "edges + mutual + gwesp(0.5, fixed=TRUE)", "--json", "-"});
  ASSERT_EQ(dependent.status, exit_ok) << dependent.err;
  EXPECT_EQ(test::warning_codes(nlohmann::json::parse(dependent.out)),
            std::vector<std::string>{"naive_errors_suspect"});
  EXPECT_NE(dependent.err.find("with dependence terms (mutual, gwesp(0.5, fixed=TRUE)) they are "
                               "too small, and their z and p-values suspect. --se godambe or "
                               "--se bootstrap gives errors from simulated networks, --method "
                               "mcmle maximum likelihood with its own."),
            std::string::npos)
      << dependent.err;
  // Not where the pseudo-likelihood is the likelihood, nor with simulated errors.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"fit", "advice.csv", "-m", "edges + nodematch(level)",
                                 "--attributes", "attributes.csv", "--json", "-"},
        {"fit", "advice.csv", "-m", "edges + mutual", "--se", "godambe", "--replicates", "20",
         "--json", "-"}}) {
    const CommandRun r = run_command(advice(), arguments);
    ASSERT_EQ(r.status, exit_ok) << r.err;
    for (const std::string& code : test::warning_codes(nlohmann::json::parse(r.out)))
      EXPECT_NE(code, "naive_errors_suspect");
  }
}

// pandas and R read a column with an empty cell or NA as floats: type and block_type always
// have a value, so that they are read as integers.
TEST(Results, TheTidyCsvTypeColumnsAreIntegers) {
  std::vector<std::string> types;
  for (const char* model : {"edges,mutual@1", "edges + gwesp(0.5, fixed=TRUE)"}) {
    const CommandRun r =
        run_command(advice(), {"fit", "advice.csv", "-m", model, "--attributes", "attributes.csv",
                               "--block-by", "level", "--csv", "-"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    ASSERT_EQ(
        r.out.rfind("term,estimate,std_error,z,p_value,conf_low,conf_high,type,block_type,", 0),
        0u);
    const auto rows = test::csv_rows(r.out);
    for (std::size_t k = 1; k < rows.size(); ++k) {
      ASSERT_EQ(rows[k].size(), 16u) << k;
      types.push_back(rows[k][0] + " " + rows[k][7] + " " + rows[k][8]);
    }
  }
  EXPECT_EQ(types, (std::vector<std::string>{"edges 1 0", "mutual@1 2 1", "edges 1 0",
                                             "gwesp.OTP.fixed.0.5 0 0"}));
}

}  // namespace
}  // namespace tarn
