// Files as researchers have them, written by networkx 2.8 and pandas 1.5 (made here from the
// exact bytes those writers produce) or by hand: each gives the network it holds, or is refused
// with a message that says why, never another network with exit status 0. One file gives one
// network, and every count, statistic and results field describes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

std::vector<std::string> warning_codes(const nlohmann::json& json) {
  std::vector<std::string> codes;
  for (const auto& w : json["warnings"]) codes.push_back(w["code"]);
  return codes;
}

double summary_value(const std::string& summary_json, const std::string& name) {
  const auto json = nlohmann::json::parse(summary_json);
  for (const auto& s : json["statistics"]) {
    if (s["name"] == name) return s["value"];
  }
  return NAN;
}

// A link given on two rows, and a self-link: summary, the fit and its results count one network.
TEST(OneNetworkPerFile, EveryCountDescribesTheNetworkRead) {
  const struct {
    const char* what;
    std::string text;
    int links;         // of the network read
    double triangles;  // ttriple + ctriple
    std::string code;  // what is said of the file
  } cases[] = {
      {"a link given twice", "1,2\n2,3\n1,2\n", 2, 0, "repeated_rows_merged"},
      {"a self-link", "1,2\n2,3\n3,3\n3,1\n1,3\n2,1\n", 5, 4, "self_links_left_out"},
      {"a self-link and a link given twice", "1,2\n2,3\n3,3\n3,1\n1,3\n2,1\n1,3\n", 5, 4,
       "repeated_rows_merged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Files files = {{"n.csv", c.text}};
    const CommandRun edges = run_command(files, {"summary", "n.csv", "-m", "edges", "--json", "-"});
    ASSERT_EQ(edges.status, exit_ok) << edges.err;
    EXPECT_EQ(summary_value(edges.out, "edges"), c.links);
    const CommandRun with_triangles =
        run_command(files, {"summary", "n.csv", "-m", "edges + triangle", "--json", "-"});
    EXPECT_EQ(summary_value(with_triangles.out, "edges"), c.links);
    EXPECT_EQ(summary_value(with_triangles.out, "triangle"), c.triangles);
    // The kernel's fit (a configuration type) and the term table's fit agree with the count.
    for (const char* model : {"edges", "edges + triangle"}) {
      const CommandRun fit = run_command(files, {"fit", "n.csv", "-m", model, "--json", "-"});
      const auto json = nlohmann::json::parse(fit.out);
      EXPECT_EQ(json["input"]["network"]["links"], c.links) << model;
      EXPECT_EQ(json["parameters"][0]["statistic_observed"], c.links) << model;
      const auto codes = warning_codes(json);
      EXPECT_NE(std::find(codes.begin(), codes.end(), c.code), codes.end()) << model;
    }
    // The MPLE of edges alone is the logit of the share of the 6 dyads linked.
    const CommandRun fit = run_command(files, {"fit", "n.csv", "-m", "edges", "--json", "-"});
    const double estimate = nlohmann::json::parse(fit.out)["parameters"][0]["estimate"];
    EXPECT_NEAR(estimate, std::log(c.links / (6.0 - c.links)), 1e-9);
  }
  // With --diagonal the self-pairs are dyads, and a self-link is a link among 9.
  const Files self_link = {{"n.csv", cases[1].text}};
  const CommandRun diagonal =
      run_command(self_link, {"fit", "n.csv", "-m", "edges", "--diagonal", "--json", "-"});
  ASSERT_EQ(diagonal.status, exit_ok) << diagonal.err;
  const auto json = nlohmann::json::parse(diagonal.out);
  EXPECT_EQ(json["input"]["network"]["links"], 6);
  EXPECT_TRUE(warning_codes(json).empty());
  EXPECT_NEAR(json["parameters"][0]["estimate"].get<double>(), std::log(6.0 / 3.0), 1e-9);
}

}  // namespace
}  // namespace tarn
