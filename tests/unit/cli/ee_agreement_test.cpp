// Equilibrium expectation against maximum likelihood by MCMC on the advice network: both estimate
// the same MLE, so they must agree within their Monte Carlo error, a fraction of a standard error;
// an equilibrium-expectation estimate that only the t-ratios one by one would accept (edges and
// gwesp strongly correlated) goes on by MCMC rather than ending there.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

nlohmann::json fitted(const std::string& model, const std::string& method,
                      const std::vector<std::string>& more = {}) {
  const test::Files files = {{"advice.csv", test::example("advice.csv")},
                             {"attributes.csv", test::example("attributes.csv")}};
  std::vector<std::string> arguments = {"fit",    "advice.csv", "--attributes", "attributes.csv",
                                        "-m",     model,        "--method",     method,
                                        "--seed", "1",          "--json",       "-",
                                        "-q"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  const test::CommandRun r = test::run_command(files, arguments);
  EXPECT_EQ(r.status, exit_ok) << r.err;
  return nlohmann::json::parse(r.out);
}

TEST(EeAgreement, EquilibriumExpectationAndMcmleAgreeOnTheAdviceModels) {
  for (const std::string model :
       {"edges + mutual + ctriple", "edges + mutual + gwesp(0.5, fixed=TRUE)",
        "edges + mutual + gwesp(0.3, fixed=TRUE) + nodematch(level) + nodeicov(age)"}) {
    const nlohmann::json ee = fitted(model, "ee"), mcmle = fitted(model, "mcmle");
    ASSERT_EQ(ee["outcome"], "converged") << model;
    ASSERT_EQ(mcmle["outcome"], "converged") << model;
    const auto& check = ee["ee"]["equilibrium_expectation"]["check"];
    // Passed only with the joint test passed too.
    if (check["passed"].get<bool>()) {
      EXPECT_GE(check["hotelling_p_value"].get<double>(), 0.01) << model;
    } else {
      EXPECT_TRUE(ee["ee"].contains("mcmle")) << model;
    }
    for (std::size_t k = 0; k < mcmle["parameters"].size(); ++k) {
      const auto& a = ee["parameters"][k];
      const auto& b = mcmle["parameters"][k];
      const double se = b["std_error"].get<double>();
      EXPECT_LT(std::fabs(a["estimate"].get<double>() - b["estimate"].get<double>()), 0.5 * se)
          << model << ", " << b["term"];
      EXPECT_NEAR(a["std_error"].get<double>(), se, 0.15 * se) << model << ", " << b["term"];
    }
  }
}

// Fewer tasks, a larger gain and fewer draws (what a slowly forgetting chain at 10^5 nodes can
// afford) walk as many tasks as asked, average over at least the draws asked, and still land
// within half a standard error of MCMLE's estimate.
TEST(EeAgreement, ShorterRunsAsAskedStillAgreeWithMcmle) {
  const std::string model = "edges + mutual + gwesp(0.5, fixed=TRUE)";
  const nlohmann::json ee =
      fitted(model, "ee", {"--ee-tasks", "2", "--ee-gain", "0.1", "--ee-draws", "16"});
  const nlohmann::json mcmle = fitted(model, "mcmle");
  const auto& walk = ee["ee"]["equilibrium_expectation"];
  EXPECT_EQ(walk["tasks"], 2);
  EXPECT_EQ(walk["task_estimates"].size(), 2u);
  EXPECT_EQ(walk["gain"], 0.1);
  EXPECT_EQ(walk["effective_draws"], 16);
  EXPECT_GE(walk["effective_draws_averaged"].get<double>(), 16.0);
  ASSERT_EQ(ee["outcome"], "converged");
  for (std::size_t k = 0; k < mcmle["parameters"].size(); ++k) {
    const double se = mcmle["parameters"][k]["std_error"].get<double>();
    EXPECT_LT(std::fabs(ee["parameters"][k]["estimate"].get<double>() -
                        mcmle["parameters"][k]["estimate"].get<double>()),
              0.5 * se)
        << mcmle["parameters"][k]["term"];
  }
}

// The screen of an estimate its check accepted names equilibrium expectation, not MCMC
// iterations, and counts the proposals of its tasks' chains and of the check's.
TEST(EeAgreement, TheScreenSaysWhatJudgedTheEstimate) {
  const test::Files files = {{"advice.csv", test::example("advice.csv")}};
  const test::CommandRun r =
      test::run_command(files, {"fit", "advice.csv", "-m", "edges + mutual + ctriple", "--method",
                                "ee", "--json", "fit.json"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  EXPECT_NE(r.out.find(" Equilibrium expectation: converged, judged by networks drawn at its "
                       "estimate, "),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("Maximum likelihood by MCMC"), std::string::npos) << r.out;
  const nlohmann::json fit = nlohmann::json::parse(r.files.at("fit.json"));
  const std::int64_t walked = fit["ee"]["equilibrium_expectation"]["proposals"];
  const std::int64_t in_all = fit["ee"]["mcmle"]["toggles"];
  const std::int64_t checked =
      std::int64_t(fit["ee"]["equilibrium_expectation"]["check"]["networks"]) *
      std::int64_t(fit["ee"]["equilibrium_expectation"]["check"]["interval"]);
  EXPECT_GT(walked, 0);
  EXPECT_GE(in_all, walked + checked);
}

}  // namespace
}  // namespace tarn
