// offset(term) on the command line: --offset-coef holds the terms' coefficients in every
// estimator, the results flag them, and the log-likelihood's AIC and BIC count the free
// parameters only. References by hand: edges + offset(edges) is the Bernoulli model with its
// log-odds split in two, so the free coefficient is logit(density) less the offset's value.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/florentine_marriages.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

Files florentine() {
  return {{"f.net", test::example("florentine_marriage.net")},
          {"part.csv", test::pucci_apart()},
          {"missing.csv", "Pucci,Medici\nPucci,Strozzi\nAcciaiuoli,Albizzi\n"}};
}

// Over every pair, over the 105 pairs that blockdiag leaves free (Pucci in a block of its own),
// and over the 117 observed pairs with three missing: the dyads the fit counts (the results' other
// figures of an offset, in every estimator:
// OffsetsApi.TheFreeCoefficientOfEdgesPlusAnOffsetOfEdgesIsExact).
TEST(OffsetsCommand, TheFreeCoefficientIsTheDensitysLogOddsLessTheOffset) {
  struct Case {
    std::vector<std::string> dyads_given;
    double dyads;
  };
  for (const Case& c :
       {Case{{}, 120.0},
        Case{{"--attributes", "part.csv", "--constraints", "blockdiag(\"part\")"}, 105.0},
        Case{{"--missing", "missing.csv"}, 117.0}}) {
    // 20 marriages.
    const double p = 20.0 / c.dyads;
    const double loglik = 20.0 * std::log(p) + (c.dyads - 20.0) * std::log(1.0 - p);
    for (const char* method : {"mple", "mcmle", "ee"}) {
      if (!c.dyads_given.empty() && std::string(method) == "ee") continue;  // refused there
      SCOPED_TRACE(std::string(method) + " over " + std::to_string(c.dyads));
      std::vector<std::string> arguments = {
          "fit",           "f.net", "--undirected", "-m",   "edges + offset(edges)",
          "--offset-coef", "0.5",   "--method",     method, "--json",
          "r.json",        "-q"};
      arguments.insert(arguments.end(), c.dyads_given.begin(), c.dyads_given.end());
      const CommandRun r = run_command(florentine(), arguments);
      ASSERT_EQ(r.status, exit_ok) << r.err;
      const auto json = nlohmann::json::parse(r.files.at("r.json"));
      const auto& rows = json["parameters"];
      ASSERT_EQ(rows.size(), 2u);
      EXPECT_NEAR(rows[0]["estimate"].get<double>(), std::log(p / (1.0 - p)) - 0.5, 1e-8);
      EXPECT_TRUE(rows[1]["std_error"].is_null());
      EXPECT_NEAR(json["log_likelihood"].get<double>(), loglik, 1e-8);
      EXPECT_NEAR(json["bic"].get<double>(), -2.0 * loglik + std::log(c.dyads), 1e-8);
    }
  }
}

TEST(OffsetsCommand, AnInfiniteOffsetIsWrittenAsRWritesIt) {
  const CommandRun r = run_command(
      florentine(), {"fit", "f.net", "--undirected", "-m", "edges + triangle + offset(degrange(7))",
                     "--offset-coef", "-Inf", "--json", "r.json", "--csv", "r.csv"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  EXPECT_NE(r.out.find(" offset(deg7+)      -Inf\n"), std::string::npos) << r.out;
  const auto json = nlohmann::json::parse(r.files.at("r.json"));
  EXPECT_EQ(json["parameters"][2]["estimate"], "-Inf");
  EXPECT_EQ(json["parameters"][2]["offset"], true);
  std::istringstream csv(r.files.at("r.csv"));
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(csv, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].rfind("offset(deg7+),-Inf,NA,NA,NA,NA,NA,0,0,0,", 0), 0u) << lines[3];
  EXPECT_EQ(lines[3].substr(lines[3].size() - 11), ",FALSE,TRUE") << lines[3];
  EXPECT_EQ(lines[1].substr(lines[1].size() - 12), ",FALSE,FALSE") << lines[1];
}

TEST(OffsetsCommand, SimulationFromAnInfiniteOffsetNeverHasWhatItForbids) {
  const CommandRun r =
      run_command(florentine(), {"simulate", "f.net", "--undirected", "-m",
                                 "edges + triangle + offset(degrange(7))", "--coef", "1.5,0,-Inf",
                                 "--networks", "200", "--stats", "s.csv", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  std::istringstream csv(r.files.at("s.csv"));
  std::string line;
  std::getline(csv, line);
  EXPECT_NE(line.find("offset(deg7+)"), std::string::npos) << line;
  int rows = 0;
  std::getline(csv, line);
  EXPECT_EQ(line, "observed,20,3,0");
  while (std::getline(csv, line)) {
    ++rows;
    EXPECT_EQ(line.substr(line.rfind(',') + 1), "0") << line;
  }
  EXPECT_EQ(rows, 200);
}

}  // namespace
}  // namespace tarn
