// Figures of the established R tool (ergm 4.6) on the Krackhardt advice network: the statistics of
// a statnet formula (summary), and the pseudo-likelihood estimates and naive errors of a model
// with geometrically weighted and attribute terms. Both must come out the same here.
// (transitiveties and cyclicalties against brute force: TermTable.EveryTermAgainstBruteForce; their
// names and refusals: Formula.NamesOfTheStatistics and Formula.WrongTermsAndArgumentsSayWhy.)
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

test::Files advice_files() {
  return {{"advice.csv", test::example("advice.csv")},
          {"attributes.csv", test::example("attributes.csv")},
          {"friendship.dat", test::example("friendship.dat")}};
}

TEST(StatnetFigures, StatisticsOfTheAdviceNetwork) {
  const std::vector<std::pair<std::string, double>> expected = {
      {"edges", 190},
      {"mutual", 45},
      {"ttriple", 988},
      {"ctriple", 186},
      {"twopath", 1488},
      {"istar2", 930},
      {"istar3", 3230},
      {"ostar2", 1062},
      {"ostar3", 4322},
      {"gwesp.OTP.fixed.0.5", 290.9118531971},
      {"gwesp.ITP.fixed.0.5", 230.5778025745},
      {"gwesp.OSP.fixed.0.5", 281.2099458746},
      {"gwesp.ISP.fixed.0.5", 299.5242477568},
      {"gwesp.RTP.fixed.0.5", 195.1208618494},
      {"gwdsp.OTP.fixed.0.5", 547.4297264216},
      {"gwdsp.OSP.fixed.0.5", 591.1458356662},
      {"gwdsp.ISP.fixed.0.5", 659.9036334216},
      {"gwideg.fixed.0.5", 34.4274657101},
      {"gwodeg.fixed.0.5", 33.4094149429},
      {"gwideg.fixed.0.693147180559945", 41.3206710815},
      {"odegree1", 1},
      {"odegree2", 1},
      {"odegree3", 2},
      {"idegree0", 0},
      {"idegree1", 0},
      {"idegree2", 0},
      {"idegree3", 0},
      {"isolates", 0},
      {"nodematch.level", 104},
      {"nodematch.level.1", 0},
      {"nodematch.level.2", 10},
      {"nodematch.level.3", 94},
      {"mix.level.2.1", 4},
      {"mix.level.3.1", 9},
      {"mix.level.1.2", 4},
      {"mix.level.2.2", 10},
      {"mix.level.3.2", 44},
      {"mix.level.1.3", 4},
      {"mix.level.2.3", 21},
      {"mix.level.3.3", 94},
      {"nodeifactor.level.2", 58},
      {"nodeifactor.level.3", 119},
      {"nodeofactor.level.2", 35},
      {"nodeofactor.level.3", 147},
      {"nodeicov.age", 562},
      {"nodeocov.age", 515},
      {"nodecov.age", 1077},
      {"absdiff.age", 265},
      {"edgecov.friendship", 60},
  };
  const std::string formula =
      "edges + mutual + ttriple + ctriple + twopath + istar(2:3) + ostar(2:3) + "
      "gwesp(0.5, fixed=TRUE) + dgwesp(0.5, fixed=TRUE, type=\"ITP\") + "
      "dgwesp(0.5, fixed=TRUE, type=\"OSP\") + dgwesp(0.5, fixed=TRUE, type=\"ISP\") + "
      "dgwesp(0.5, fixed=TRUE, type=\"RTP\") + gwdsp(0.5, fixed=TRUE) + "
      "dgwdsp(0.5, fixed=TRUE, type=\"OSP\") + dgwdsp(0.5, fixed=TRUE, type=\"ISP\") + "
      "gwidegree(0.5, fixed=TRUE) + gwodegree(0.5, fixed=TRUE) + gwidegree(log(2), fixed=TRUE) + "
      "odegree(1:3) + idegree(0:3) + isolates + nodematch(level) + "
      "nodematch(\"level\", diff=TRUE) + nodemix(level) + nodeifactor(level) + "
      "nodeofactor(level) + nodeicov(age) + nodeocov(age) + nodecov(age) + absdiff(age) + "
      "edgecov(friendship.dat)";
  const test::CommandRun run = test::run_command(
      advice_files(),
      {"summary", "advice.csv", "--attributes", "attributes.csv", "-m", formula, "--json", "-"});
  ASSERT_EQ(run.status, exit_ok) << run.err;
  const nlohmann::json statistics = nlohmann::json::parse(run.out)["statistics"];
  ASSERT_EQ(statistics.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(statistics[k]["name"], expected[k].first);
    EXPECT_NEAR(statistics[k]["value"].get<double>(), expected[k].second, 5e-10)
        << expected[k].first;
  }
}

TEST(StatnetFigures, PseudoLikelihoodOfAGeometricallyWeightedModel) {
  const std::vector<double> estimates = {-1.8155979845861,  0.0556556146408,  0.7072187847319,
                                         -10.4402304900591, -6.3785422853533, -0.2747644262732,
                                         0.1405816321940,   0.9638619243798};
  const std::vector<double> errors = {0.5498686812638, 0.2282440382840, 0.2101002730380,
                                      7.8731099865910, 1.7721765135728, 0.2312511820575,
                                      0.0826253548976, 0.2555045259810};
  const test::CommandRun run = test::run_command(
      advice_files(), {"fit", "advice.csv", "--attributes", "attributes.csv", "-m",
                       "edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.5, fixed=TRUE) + "
                       "gwodegree(0.5, fixed=TRUE) + nodematch(\"level\") + nodeicov(age) + "
                       "edgecov(friendship.dat)",
                       "--json", "-"});
  ASSERT_EQ(run.status, exit_ok) << run.err;
  const nlohmann::json parameters = nlohmann::json::parse(run.out)["parameters"];
  ASSERT_EQ(parameters.size(), estimates.size());
  for (std::size_t k = 0; k < estimates.size(); ++k) {
    const double estimate = parameters[k]["estimate"].get<double>();
    const double error = parameters[k]["std_error"].get<double>();
    EXPECT_NEAR(estimate, estimates[k], 1e-8 * (1 + std::fabs(estimates[k]))) << k;
    // R's glm takes its errors from the weights of the step before its last: about 1e-7 apart
    // from the inverse Hessian at the estimate, 1.7e-6 for gwodeg, whose last step is the
    // largest.
    EXPECT_NEAR(error, errors[k], 2e-6 * errors[k]) << k;
  }
  EXPECT_EQ(parameters[2]["term"], "gwesp.OTP.fixed.0.5");
  EXPECT_NEAR(parameters[2]["statistic_observed"].get<double>(), 290.9118531971, 1e-9);
}

}  // namespace
}  // namespace tarn
