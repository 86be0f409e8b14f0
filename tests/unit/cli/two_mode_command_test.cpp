// Two-mode networks on the command line: --bipartite and Pajek's *Vertices n n1 read them, the
// results say so, only the dyads between the modes are the model's, and bad input is refused with
// status 2 and nothing written.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

// Five actors (1..5) and four events (6..9); actor a attends event e when (a + e) % 3 != 0, and
// actor 5 also event 9. Actors 1..2 are of kind "x", 3..5 of kind "y".
struct Attendance {
  std::string csv;
  int links = 0;
};

Attendance attendance() {
  Attendance a;
  a.csv = "actor,event\n";
  for (int actor = 1; actor <= 5; ++actor) {
    for (int event = 6; event <= 9; ++event) {
      if ((actor + event) % 3 != 0 || (actor == 5 && event == 9)) {
        a.csv += std::to_string(actor) + "," + std::to_string(event) + "\n";
        ++a.links;
      }
    }
  }
  return a;
}

std::string kinds() {
  std::string table = "id,kind,size\n";
  for (int node = 1; node <= 9; ++node) {
    table += std::to_string(node) + "," + (node <= 2 ? "x" : "y") + "," + std::to_string(node % 4) +
             "\n";
  }
  return table;
}

// The exact fits of two-mode models, against every network of 3 + 4 nodes:
// TwoModeMle.PseudoLikelihoodOfADyadIndependentModelIsTheExactMle.
TEST(TwoModeCommand, TheDyadsAreThoseBetweenTheModes) {
  const Attendance a = attendance();
  const CommandRun r =
      run_command({{"events.csv", a.csv}, {"kinds.csv", kinds()}},
                  {"fit", "events.csv", "--bipartite", "5", "--attributes", "kinds.csv", "-m",
                   "edges + b1factor(\"kind\")", "--json", "fit.json", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.files.at("fit.json"));
  EXPECT_EQ(json["input"]["network"]["bipartite"], 5);
  EXPECT_EQ(json["input"]["network"]["directed"], false);
  EXPECT_EQ(json["input"]["network"]["dyads"], 20);  // 5 x 4
  EXPECT_EQ(json["parameters"][1]["term"], "b1factor.kind.y");
}

TEST(TwoModeCommand, SummaryAndAPajekFileSayTheFirstMode) {
  const Attendance a = attendance();
  const CommandRun r =
      run_command({{"events.csv", a.csv}}, {"summary", "events.csv", "--bipartite", "5", "-m",
                                            "edges + b1star(2) + b2degree(3)", "--json", "s.json"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.files.at("s.json"));
  EXPECT_EQ(json["input"]["network"]["bipartite"], 5);
  EXPECT_EQ(json["statistics"][0]["value"], a.links);
  std::string pajek = "*Vertices 9 5\n*Edges\n";
  std::string rows = a.csv.substr(a.csv.find('\n') + 1);
  for (char& c : rows) c = c == ',' ? ' ' : c;
  pajek += rows;
  const CommandRun p = run_command(
      {{"events.net", pajek}},
      {"summary", "events.net", "-m", "edges + b1star(2) + b2degree(3)", "--json", "s.json"});
  ASSERT_EQ(p.status, exit_ok) << p.err;
  const auto from_pajek = nlohmann::json::parse(p.files.at("s.json"));
  EXPECT_EQ(from_pajek["input"]["network"]["bipartite"], 5);
  EXPECT_EQ(from_pajek["statistics"], json["statistics"]);
  // Read undirected with its modes: neither its *Edges nor its two sets suggest another reading.
  EXPECT_EQ(from_pajek["warnings"].size(), 0u) << from_pajek["warnings"];
}

TEST(TwoModeCommand, SimulatedNetworksLinkTheModesOnly) {
  const Attendance a = attendance();
  const CommandRun r =
      run_command({{"events.csv", a.csv}},
                  {"simulate", "events.csv", "--bipartite", "5", "-m", "edges + b1star(2)",
                   "--coef", "0.2,-0.1", "--networks", "5", "--out", "drawn", "--seed", "3", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto drawn = test::drawn_links(r, "drawn");
  EXPECT_EQ(drawn.size(), 5u);
  for (const auto& [name, links] : drawn)
    for (const auto& [i, j] : links) EXPECT_NE(std::stoi(i) <= 5, std::stoi(j) <= 5) << name;
}

struct BadCase {
  std::string what;
  Files files;
  std::vector<std::string> arguments;
  std::string message;
};

TEST(TwoModeCommand, BadInputIsRefusedWithStatusTwoAndNothingWritten) {
  const Attendance a = attendance();
  const std::vector<BadCase> cases = {
      {"a two-mode term on a network of one mode",
       {{"events.csv", a.csv}},
       {"fit", "events.csv", "--undirected", "-m", "edges + b1star(2)", "--json", "out.json"},
       "b1star is a term of two-mode networks"},
      {"--bipartite past the node count",
       {{"events.csv", a.csv}},
       {"fit", "events.csv", "--bipartite", "9", "-m", "edges", "--json", "out.json"},
       "--bipartite 9: the network has 9 nodes"},
      {"a link within a mode",
       {{"events.csv", a.csv + "2,4\n"}},
       {"fit", "events.csv", "--bipartite", "5", "-m", "edges", "--json", "out.json"},
       "\"events.csv\" line " + std::to_string(a.links + 2) +
           ": the link 2 4 joins two nodes of the first mode"},
      {"--bipartite with --diagonal",
       {{"events.csv", a.csv}},
       {"fit", "events.csv", "--bipartite", "5", "--diagonal", "-m", "edges", "--json", "out.json"},
       "--diagonal: a two-mode network has no self-pairs"},
  };
  for (const BadCase& c : cases) {
    const CommandRun r = run_command(c.files, c.arguments);
    EXPECT_EQ(r.status, exit_usage) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(r.files.count("out.json"), 0u) << c.what;
  }
}

}  // namespace
}  // namespace tarn
