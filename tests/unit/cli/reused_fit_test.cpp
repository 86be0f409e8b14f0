// A fit reused: simulate --fit and gof --fit take the model, the estimates and the data from the
// JSON a fit wrote, and draw exactly what --coef with those estimates draws; simulate --nodes N
// draws from the empty network of N nodes, as statnet's simulate(network.initialize(n) ~ ...).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
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
  files["not.json"] = "edges,mutual\n";
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
      {"--constraints as well",
       files,
       {"simulate", "--fit", "fit.json", "--constraints", "bd(maxout=3)", "--stats", "s.csv"},
       exit_usage,
       "leave out --constraints"},
      {"--coef as well",
       files,
       {"gof", "--fit", "fit.json", "--coef", "1,2", "--csv", "g.csv"},
       exit_usage,
       "leave out --coef"},
      {"a data option as well",
       files,
       {"simulate", "--fit", "fit.json", "--undirected", "--stats", "s.csv"},
       exit_usage,
       "leave out --undirected"},
      {"neither network nor fit",
       files,
       {"gof", "-m", "edges", "--csv", "g.csv"},
       exit_usage,
       "network is required: give the network file, or --fit FILE, the JSON results of a fit"},
      {"no such file",
       files,
       {"simulate", "--fit", "none.json", "--stats", "s.csv"},
       exit_bad_input,
       "none.json"},
      {"not JSON",
       files,
       {"simulate", "--fit", "not.json", "--stats", "s.csv"},
       exit_bad_input,
       "--fit not.json: not a JSON file"},
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

// From the empty network of N nodes: edges alone at theta give each dyad a link with
// probability 1 / (1 + e^-theta), independently.
TEST(EmptyNetworkSimulation, DrawsFromTheModelOfNNodes) {
  const double theta = -1.5;
  const CommandRun r = run_command({}, {"simulate", "--nodes", "30", "-m", "edges", "--coef",
                                        "-1.5", "--networks", "200", "--stats", "s.csv", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  std::istringstream stats(r.files.at("s.csv"));
  std::string line;
  std::getline(stats, line);
  std::getline(stats, line);
  EXPECT_EQ(line, "start,0");
  double sum = 0.0;
  int count = 0;
  while (std::getline(stats, line)) {
    sum += std::stod(line.substr(line.find(',') + 1));
    ++count;
  }
  ASSERT_EQ(count, 200);
  const double p = 1.0 / (1.0 + std::exp(-theta));
  const double mean = 870 * p, sd = std::sqrt(870 * p * (1 - p));
  // Within four standard errors even if only the 8 chains' 25 draws each were independent.
  EXPECT_NEAR(sum / count, mean, 4 * sd / std::sqrt(25.0));

  // Past the dialogue's 2000 nodes too: the command line's networks are as large as memory.
  const CommandRun large = run_command(
      {}, {"simulate", "--nodes", "2500", "-m", "edges", "--coef", "-6", "--networks", "2",
           "--chains", "1", "--burnin", "20000", "--interval", "20000", "--stats", "s.csv", "-q"});
  ASSERT_EQ(large.status, exit_ok) << large.err;
  EXPECT_NE(large.files.at("s.csv").find("\n2,"), std::string::npos);

  // With node attributes for its terms, undirected too; without --coef nothing can be drawn.
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
