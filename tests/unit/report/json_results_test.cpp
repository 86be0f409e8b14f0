// The JSON results at their edges: a fit that gave no estimate, and text that is not UTF-8.
#include "report/json_results.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "mple/fit_warnings.h"
#include "support/fits.h"

namespace tarn {
namespace {

nlohmann::json json_of(const test::Fitted& f, bool estimate_exists = true,
                       std::vector<WordedWarning> warnings = {},
                       std::vector<InputFileRecord> files = {}) {
  const ParameterErrors errors = naive_errors(f.result);
  const Study study = f.data();
  FitRecord record;
  record.files = std::move(files);
  record.network = &f.network;
  record.model = &study.model;
  record.result = &f.result;
  record.errors = &errors;
  record.estimate_exists = estimate_exists;
  record.warnings = std::move(warnings);
  std::ostringstream out;
  write_fit_json(record, out);
  return nlohmann::json::parse(out.str());
}

// The outcome names what kept the fit from an estimate; a missing estimate comes first.
TEST(JsonResults, TheOutcomeNamesWhatKeptTheFitFromAnEstimate) {
  test::Fitted f = test::fitted(test::final_inversion_fails, {6, 12});
  ASSERT_TRUE(f.result.final_inversion_failed);
  EXPECT_EQ(json_of(f)["outcome"], "pass_limit");
  EXPECT_EQ(json_of(f, false)["outcome"], "estimate_does_not_exist");
  // The final inversion alone: the Newton passes ended within their limit.
  f.result.too_many_iterations = false;
  EXPECT_EQ(json_of(f)["outcome"], "final_inversion_failed");
  EXPECT_FALSE(json_of(f)["converged"]);

  const test::Fitted g = test::fitted({{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {4, 1}}, {1});
  ASSERT_TRUE(fit_converged(g.result));
  EXPECT_EQ(json_of(g)["outcome"], "converged");
  EXPECT_TRUE(json_of(g)["converged"]);
  EXPECT_EQ(json_of(g, false)["outcome"], "estimate_does_not_exist");
  EXPECT_FALSE(json_of(g, false)["converged"]);
}

TEST(JsonResults, TheDyadsAreTheFitsDyads) {
  const test::Fitted f = test::fitted({{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {4, 1}}, {1});
  EXPECT_EQ(json_of(f, {})["input"]["network"]["dyads"], 12);
}

TEST(JsonResults, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  const test::Fitted f = test::fitted({{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {4, 1}}, {1});
  const Warning note = Warning{"note"}.add_count("nodes", 3).add_text("file", "r\xE9seau.csv");
  const nlohmann::json json =
      json_of(f, true, {{note, "r\xE9seau"}}, {{"network", "r\xE9seau.csv", "csv"}});
  EXPECT_EQ(json["input"]["network"]["file"], "r\xEF\xBF\xBDseau.csv");
  EXPECT_EQ(json["warnings"][0]["message"], "r\xEF\xBF\xBDseau");
  EXPECT_EQ(json["warnings"][0]["figures"]["nodes"], 3);
  EXPECT_EQ(json["warnings"][0]["figures"]["file"], "r\xEF\xBF\xBDseau.csv");
}

}  // namespace
}  // namespace tarn
