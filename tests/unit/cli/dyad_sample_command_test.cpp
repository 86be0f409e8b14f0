// fit --dyad-sample on the advice network: the summary's Sampling % column and the JSON's
// sampling shares and sample record, and the full fit when the sample covers every empty dyad (the
// options it refuses are rows of McmleCommand.RefusesWhatItDoesNotTake).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::run_command;

CommandRun fit(std::vector<std::string> more) {
  std::vector<std::string> arguments = {"fit", "advice.csv", "-m",
                                        "edges + mutual + gwesp(0.5, fixed=TRUE)"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return run_command({{"advice.csv", test::example("advice.csv")}}, arguments);
}

TEST(DyadSampleCommand, ReportsTheSampleAndItsShareOfTheErrors) {
  const CommandRun shown = fit({"--dyad-sample", "100", "--seed", "3"});
  ASSERT_EQ(shown.status, exit_ok) << shown.err;
  EXPECT_NE(shown.out.find("Sampling %"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("sampling error of 100 controls from 230 empty dyads"),
            std::string::npos);

  const nlohmann::json sampled =
      nlohmann::json::parse(fit({"--dyad-sample", "100", "--seed", "3", "--json", "-"}).out);
  EXPECT_EQ(sampled["standard_errors"]["method"], "naive_and_sampling");
  EXPECT_EQ(sampled["mple"]["dyad_sample"]["controls"], 100);
  EXPECT_EQ(sampled["mple"]["dyad_sample"]["empty_dyads"], 230);
  EXPECT_EQ(sampled["mple"]["dyad_sample"]["drawn"], "uniform_with_replacement");
  for (const auto& p : sampled["parameters"]) {
    EXPECT_GT(p["sampling_error_percent"].get<double>(), 0.0);
    EXPECT_LT(p["sampling_error_percent"].get<double>(), 100.0);
  }

  const nlohmann::json every =
      nlohmann::json::parse(fit({"--dyad-sample", "230", "--json", "-"}).out);
  const nlohmann::json full = nlohmann::json::parse(fit({"--json", "-"}).out);
  EXPECT_EQ(every["mple"]["dyad_sample"]["drawn"], "every_empty_dyad");
  EXPECT_EQ(every["standard_errors"]["method"], "naive");
  for (std::size_t k = 0; k < 3; ++k) {
    const auto& a = every["parameters"][k];
    const auto& b = full["parameters"][k];
    EXPECT_FALSE(a.contains("sampling_error_percent"));
    EXPECT_NEAR(a["estimate"].get<double>(), b["estimate"].get<double>(), 1e-10);
    EXPECT_NEAR(a["std_error"].get<double>(), b["std_error"].get<double>(), 1e-10);
  }
}

}  // namespace
}  // namespace tarn
