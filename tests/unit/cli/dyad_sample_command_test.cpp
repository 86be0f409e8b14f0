// fit --dyad-sample on the advice network when the sample covers every empty dyad. (A sample's
// Sampling % column, shares and record: Recorded.mple_dyad_sample; the options it refuses: rows of
// McmleCommand.RefusesWhatItDoesNotTake.)
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

// A sample of every empty dyad is no sample: naive errors, no sampling share (its estimates are
// the full fit's: DyadSample.EveryEmptyDyadGivesTheFitOverEveryDyad).
TEST(DyadSampleCommand, ASampleOfEveryEmptyDyadIsTheFullFit) {
  const CommandRun r =
      run_command({{"advice.csv", test::example("advice.csv")}},
                  {"fit", "advice.csv", "-m", "edges + mutual + gwesp(0.5, fixed=TRUE)",
                   "--dyad-sample", "230", "--json", "-"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const nlohmann::json every = nlohmann::json::parse(r.out);
  EXPECT_EQ(every["mple"]["dyad_sample"]["drawn"], "every_empty_dyad");
  EXPECT_EQ(every["standard_errors"]["method"], "naive");
  for (const auto& p : every["parameters"]) EXPECT_FALSE(p.contains("sampling_error_percent"));
}

}  // namespace
}  // namespace tarn
