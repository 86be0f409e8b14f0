// The JSON results at their edges: a fit that gave no estimate, and text that is not UTF-8.
#include "report/json_results.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "estimate/estimate.h"
#include "mple/fit_warnings.h"
#include "support/fits.h"

namespace tarn {
namespace {

nlohmann::json json_of(const tarnwick::Estimate& e) {
  std::ostringstream out;
  write_fit_json(e, out);
  return nlohmann::json::parse(out.str());
}

// The outcome names what kept the fit from an estimate; a missing estimate comes first.
TEST(JsonResults, TheOutcomeNamesWhatKeptTheFitFromAnEstimate) {
  test::Fitted f = test::fitted(test::final_inversion_fails, {6, 12});
  ASSERT_TRUE(f.result.final_inversion_failed);
  EXPECT_EQ(pseudo_likelihood_outcome(f.result, true), "pass_limit");
  EXPECT_EQ(pseudo_likelihood_outcome(f.result, false), "estimate_does_not_exist");
  // The final inversion alone: the Newton passes ended within their limit.
  f.result.too_many_iterations = false;
  EXPECT_EQ(pseudo_likelihood_outcome(f.result, true), "final_inversion_failed");
}

// A fit without estimates: no covariance, no correlations, no pseudo-likelihood figures, and
// "converged" false; the parameters' missing figures null.
TEST(JsonResults, AFitWithoutEstimatesHasNullsWhereItHasNoFigures) {
  tarnwick::Estimate e;
  e.method = "mple";
  e.outcome = "statistics_linearly_dependent";
  e.terms = {{"edges", {"edges"}, {}, 1, 0, "", "", -1}};
  e.coefficients = {{"edges", 0}};
  e.covariance = e.correlation = {{tarnwick::not_a_number}};
  const nlohmann::json json = json_of(e);
  EXPECT_FALSE(json["converged"]);
  EXPECT_TRUE(json["covariance"].is_null());
  EXPECT_TRUE(json["correlation"].is_null());
  EXPECT_TRUE(json["minus2_log_likelihood"].is_null());
  EXPECT_TRUE(json["classification"].is_null());
  EXPECT_EQ(json["df"], 1);
  EXPECT_TRUE(json["parameters"][0]["estimate"].is_null());
  EXPECT_EQ(json["parameters"][0]["type"], 1);
  EXPECT_TRUE(json["parameters"][0]["block_type"].is_null());
  EXPECT_FALSE(json.contains("mple"));
}

TEST(JsonResults, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  tarnwick::Estimate e;
  e.files = {{"network", "r\xE9seau.csv", "csv"}};
  e.warnings = {{"note",
                 "r\xE9seau",
                 "data",
                 {{"nodes", std::int64_t{3}}, {"file", "r\xE9seau.csv"}},
                 {},
                 {}}};
  const nlohmann::json json = json_of(e);
  EXPECT_EQ(json["input"]["network"]["file"], "r\xEF\xBF\xBDseau.csv");
  EXPECT_EQ(json["warnings"][0]["message"], "r\xEF\xBF\xBDseau");
  EXPECT_EQ(json["warnings"][0]["figures"]["nodes"], 3);
  EXPECT_EQ(json["warnings"][0]["figures"]["file"], "r\xEF\xBF\xBDseau.csv");
}

}  // namespace
}  // namespace tarn
