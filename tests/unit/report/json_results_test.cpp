// The JSON results at their edges: a fit that gave no estimate, and text that is not UTF-8.
#include "report/json_results.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "fit/fit_warnings.h"
#include "support/fits.h"

namespace tarn {
namespace {

nlohmann::json json_of(const test::Fitted& f, std::vector<FitWarning> warnings,
                       std::vector<InputFileRecord> files = {}) {
  const ParameterErrors errors = naive_errors(f.result);
  const Study study = f.data();
  FitRecord record;
  record.files = std::move(files);
  record.network = &f.network;
  record.model = &study.model;
  record.result = &f.result;
  record.errors = &errors;
  record.warnings = std::move(warnings);
  std::ostringstream out;
  write_fit_json(record, out);
  return nlohmann::json::parse(out.str());
}

TEST(JsonResults, AFailedFinalInversionIsNotConverged) {
  test::Fitted f = test::fitted(test::final_inversion_fails, {6, 12});
  ASSERT_TRUE(f.result.final_inversion_failed);
  EXPECT_EQ(json_of(f, fit_warnings(f.result))["outcome"], "pass_limit");
  // The final inversion alone: the Newton passes ended within their limit.
  f.result.too_many_iterations = false;
  const nlohmann::json json = json_of(f, fit_warnings(f.result));
  EXPECT_EQ(json["outcome"], "final_inversion_failed");
  EXPECT_FALSE(json["converged"]);
}

TEST(JsonResults, AnEstimateThatDoesNotExistIsNotConverged) {
  const test::Fitted f = test::fitted({{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {4, 1}}, {1});
  ASSERT_TRUE(fit_converged(f.result));
  EXPECT_EQ(json_of(f, fit_warnings(f.result))["outcome"], "converged");
  EXPECT_TRUE(json_of(f, fit_warnings(f.result))["converged"]);
  std::vector<FitWarning> warnings = fit_warnings(f.result);
  warnings.push_back({"estimate_does_not_exist", "The pseudo-likelihood estimate does not exist"});
  const nlohmann::json json = json_of(f, warnings);
  EXPECT_EQ(json["outcome"], "estimate_does_not_exist");
  EXPECT_FALSE(json["converged"]);
}

TEST(JsonResults, TheDyadsAreTheFitsDyads) {
  const test::Fitted f = test::fitted({{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {4, 1}}, {1});
  EXPECT_EQ(json_of(f, {})["input"]["network"]["dyads"], 12);
}

TEST(JsonResults, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  const test::Fitted f = test::fitted({{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 1}, {4, 1}}, {1});
  const nlohmann::json json =
      json_of(f, {{"note", "r\xE9seau"}}, {{"network", "r\xE9seau.csv", "csv"}});
  EXPECT_EQ(json["input"]["network"]["file"], "r\xEF\xBF\xBDseau.csv");
  EXPECT_EQ(json["warnings"][0]["message"], "r\xEF\xBF\xBDseau");
}

}  // namespace
}  // namespace tarn
