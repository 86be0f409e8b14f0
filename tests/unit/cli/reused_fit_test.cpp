// A fit reused: simulate --fit and gof --fit take the model, the estimates and the data from the
// JSON a fit wrote, and draw exactly what --coef with those estimates draws; simulate --nodes N
// draws from the empty network of N nodes, as statnet's simulate(network.initialize(n) ~ ...).
#include <gtest/gtest.h>

#include <charconv>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

Files advice_with_fit(const std::string& model) {
  Files files = {{"advice.csv", test::example("advice.csv")},
                 {"attributes.csv", test::example("attributes.csv")}};
  const CommandRun fit = run_command(files, {"fit", "advice.csv", "-m", model, "--attributes",
                                             "attributes.csv", "--json", "fit.json", "-q"});
  EXPECT_EQ(fit.status, exit_ok) << fit.err;
  files["fit.json"] = fit.files.at("fit.json");
  return files;
}

// The estimates of a fit's JSON as --coef takes them, every digit kept.
std::string estimates_of(const std::string& json_text) {
  std::string list;
  const auto json = nlohmann::json::parse(json_text);
  for (const auto& p : json["parameters"]) {
    char text[32];
    const double value = p["estimate"];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    list += (list.empty() ? "" : ",") + std::string(text, end);
  }
  return list;
}

TEST(ReusedFit, SimulateAndGofFromAFitDrawWhatItsEstimatesDraw) {
  const Files files = advice_with_fit("edges + mutual + nodematch(level)");
  const std::string coef = estimates_of(files.at("fit.json"));
  const CommandRun from_fit = run_command(
      files, {"simulate", "--fit", "fit.json", "--networks", "30", "--stats", "s.csv", "-q"});
  ASSERT_EQ(from_fit.status, exit_ok) << from_fit.err;
  const CommandRun from_coef = run_command(
      files, {"simulate", "advice.csv", "-m", "edges + mutual + nodematch(level)", "--attributes",
              "attributes.csv", "--coef", coef, "--networks", "30", "--stats", "s.csv", "-q"});
  ASSERT_EQ(from_coef.status, exit_ok) << from_coef.err;
  EXPECT_EQ(from_fit.files.at("s.csv"), from_coef.files.at("s.csv"));
  EXPECT_NE(from_fit.files.at("s.csv").find("observed,190,45,104\n"), std::string::npos);

  const CommandRun gof_fit =
      run_command(files, {"gof", "--fit", "fit.json", "--networks", "20", "--csv", "g.csv", "-q"});
  ASSERT_EQ(gof_fit.status, exit_ok) << gof_fit.err;
  const CommandRun gof_coef = run_command(
      files, {"gof", "advice.csv", "-m", "edges + mutual + nodematch(level)", "--attributes",
              "attributes.csv", "--coef", coef, "--networks", "20", "--csv", "g.csv", "-q"});
  EXPECT_EQ(gof_fit.files.at("g.csv"), gof_coef.files.at("g.csv"));
}

TEST(ReusedFit, WhatItCannotTakeIsRefused) {
  Files files = advice_with_fit("edges + mutual");
  files["other.json"] = "{\"program\": \"other\"}";
  Files changed = files;
  changed["advice.csv"] += "21,1\n";
  Files no_estimate = files;
  {
    auto json = nlohmann::json::parse(files.at("fit.json"));
    json["outcome"] = "pass_limit";
    json["converged"] = false;
    no_estimate["fit.json"] = json.dump();
  }
  const struct {
    const char* what;
    const Files& files;
    std::vector<std::string> arguments;
    int status;
    std::string message;
  } cases[] = {
      {"the network as well",
       files,
       {"simulate", "advice.csv", "--fit", "fit.json", "--stats", "s.csv"},
       exit_usage,
       "--fit fit.json gives the network and its options, the model, its constraints and the "
       "coefficients of the fit; leave out the network advice.csv"},
      {"--coef as well",
       files,
       {"gof", "--fit", "fit.json", "--coef", "1,2", "--csv", "g.csv"},
       exit_usage,
       "leave out --coef"},
      {"neither network nor fit",
       files,
       {"gof", "-m", "edges", "--csv", "g.csv"},
       exit_usage,
       "network is required: give the network file, or --fit FILE, the JSON results of a fit"},
      {"not a fit",
       files,
       {"gof", "--fit", "other.json", "--csv", "g.csv"},
       exit_bad_input,
       "--fit other.json: it holds no fit of this version of tarnwick"},
      {"a fit without an estimate",
       no_estimate,
       {"simulate", "--fit", "fit.json", "--stats", "s.csv"},
       exit_fit_problem,
       "--fit fit.json: the fit gave no estimate to simulate from (pass_limit); give the "
       "coefficients with --coef"},
      {"a network changed since",
       changed,
       {"simulate", "--fit", "fit.json", "--stats", "s.csv"},
       exit_bad_input,
       "--fit fit.json: the fit was of a network of 21 nodes and 190 links, but advice.csv now "
       "gives 21 nodes and 191; fit it again."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CommandRun r = run_command(c.files, c.arguments);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.files, c.files);  // nothing written
  }
}

// From the empty network of N nodes (its draws: Recorded.simulate_empty_start; the sampler's
// against the exact distribution: Sampler's tests), with node attributes for its terms, undirected
// too; without --coef nothing can be drawn.
TEST(EmptyNetworkSimulation, DrawsFromTheModelOfNNodes) {
  std::string attributes = "id,g\n";
  for (int k = 1; k <= 10; ++k) attributes += std::to_string(k) + "," + (k <= 5 ? "a" : "b") + "\n";
  const CommandRun attributed =
      run_command({{"a.csv", attributes}},
                  {"simulate", "--nodes", "10", "--undirected", "--attributes", "a.csv", "-m",
                   "edges + nodematch(g)", "--coef", "-1,1", "--networks", "20", "--stats", "-"});
  ASSERT_EQ(attributed.status, exit_ok) << attributed.err;
  EXPECT_EQ(attributed.out.rfind("network,edges,nodematch.g\nstart,0,0\n", 0), 0u)
      << attributed.out;
  const CommandRun no_coef = run_command({}, {"simulate", "--nodes", "10", "-m", "edges"});
  EXPECT_EQ(no_coef.status, exit_usage);
  EXPECT_NE(no_coef.err.find("--nodes 10 without a network draws from the empty network of 10 "
                             "nodes, where nothing can be fitted: give the coefficients with "
                             "--coef"),
            std::string::npos)
      << no_coef.err;
}

}  // namespace
}  // namespace tarn
