// Undirected networks on the command line: --undirected and what a file that looks undirected
// is told, the Florentine marriages' exact figures, the terms of the other kind refused by name,
// the warnings of undirected data, and what simulate and gof write.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/json_fields.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

Files florentine() {
  return {{"m.net", test::example("florentine_marriage.net")},
          {"a.csv", test::example("florentine_attributes.csv")}};
}

// 16 families, 20 marriages, Pucci without one: 120 pairs, and the MPLE of edges alone is
// log(20 / 100). Read as directed, the *Edges section is said, and each edge is two links. (The
// screen, JSON and CSV of an undirected fit: Recorded.mple_exact_likelihood.)
TEST(Undirected, TheFlorentineMarriagesWithAndWithoutTheFlag) {
  const CommandRun directed =
      run_command(florentine(), {"fit", "m.net", "-m", "edges", "--json", "-"});
  ASSERT_EQ(directed.status, exit_ok) << directed.err;
  const auto as_directed = nlohmann::json::parse(directed.out);
  EXPECT_EQ(test::warning_codes(as_directed), std::vector<std::string>{"looks_undirected"});
  EXPECT_NE(directed.err.find("Give --undirected to fit it as an undirected network."),
            std::string::npos)
      << directed.err;
  EXPECT_EQ(as_directed["input"]["network"]["dyads"], 240);
  EXPECT_EQ(as_directed["input"]["network"]["links"], 40);
  EXPECT_EQ(as_directed["input"]["network"]["directed"], true);

  const CommandRun undirected = run_command(
      florentine(), {"fit", "m.net", "-m", "edges", "--undirected", "--json", "j.json"});
  ASSERT_EQ(undirected.status, exit_ok) << undirected.err;
  EXPECT_EQ(undirected.err, "");
  const auto json = nlohmann::json::parse(undirected.files.at("j.json"));
  EXPECT_TRUE(test::warning_codes(json).empty());
  EXPECT_EQ(json["input"]["network"]["nodes"], 16);
  EXPECT_EQ(json["input"]["network"]["links"], 20);
  EXPECT_EQ(json["input"]["network"]["dyads"], 120);
  EXPECT_NEAR(json["parameters"][0]["estimate"].get<double>(), std::log(20.0 / 100.0), 1e-12);
}

// An output that each command writes, which a refusal must not leave.
std::string output_option(const std::string& command) {
  return command == "gof" ? "--svg" : command == "simulate" ? "--stats" : "--json";
}

struct Refusal {
  std::string model;
  std::vector<std::string> options;
  std::string message;  // a part of standard error
};

// Every refusal is a usage error that names what to give instead, and writes nothing: one row per
// kind (each term's other-kind name and argument refusals: Formula.WrongTermsAndArgumentsSayWhy).
TEST(Undirected, TermsAndOptionsOfTheOtherKindAreRefusedByName) {
  const std::vector<std::string> undirected = {"--undirected"};
  const std::vector<Refusal> cases = {
      {"edges,mutual", undirected,
       "mutual is a term of a directed network; on this network use edges"},
      {"edges+covariate", undirected, "on this network use edgecov"},
      {"edges+kstar(2)",
       {},
       "kstar is a term of an undirected network; on this network use istar or ostar, or give "
       "--undirected if the network is undirected"},
      {"edges",
       {"--undirected", "--diagonal"},
       "--diagonal: an undirected network has no self-pairs (i, i) among its dyads; give "
       "--diagonal "
       "or --undirected, not both"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.model);
    for (const char* command : {"fit", "simulate", "gof", "summary"}) {
      std::vector<std::string> arguments = {command, "m.net",        "-m",
                                            c.model, "--attributes", "a.csv"};
      arguments.insert(arguments.end(), c.options.begin(), c.options.end());
      arguments.insert(arguments.end(), {output_option(command), "o.out"});
      const CommandRun r = run_command(florentine(), arguments);
      EXPECT_EQ(r.status, exit_usage) << command << ": " << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << command << ": " << r.err;
      EXPECT_EQ(r.files, florentine()) << command;
    }
  }
}

// What undirected data make the program say: rows of one pair with different values, self-links.
TEST(Undirected, WhatUndirectedDataSuggestIsSaid) {
  const struct {
    const char* what;
    Files files;
    std::string model;
    std::vector<std::string> codes;
    std::string message;
    int edges;
  } cases[] = {
      {"a pair given both ways with different weights",
       {{"n.csv", "from,to,w\na,b,2\nb,a,1\nb,c,1\n"}},
       "edges",
       {"reverse_rows_differ", "weights_read_as_ties"},
       "1 pair of n.csv is given both ways with different values (a,b is 2, b,a is 1): on an "
       "undirected network the two rows are one pair, an edge when either row gives a link",
       2},
      {"self-links",
       {{"n.net", "*Vertices 3\n*Edges\n1 1\n1 2\n2 3\n3 3\n"}},
       "edges",
       {"self_links_left_out"},
       "2 self-links (i->i) of the network are left out: an undirected network has no self-links.",
       2},
      {"a row given twice names its one edge, and is said to",
       {{"n.csv", "a,b\nb,a\na,b\nb,c\n"}},
       "edges",
       {"repeated_rows_merged"},
       "1 row of n.csv repeats a link given before (a,b on line 3, first on line 1): a pair is "
       "one link however often it is given.",
       2},
      {"a covariate given both ways with different values",
       {{"n.csv", "a,b\nb,c\nc,d\n"}, {"x.csv", "a,b,3\nb,a,3\nc,b,2\nb,c,5\n"}},
       "edges+edgecov(\"x.csv\")",
       {"reverse_rows_differ"},
       "1 pair of x.csv is given both ways with different values (b,c is 5, c,b is 2): on an "
       "undirected network the two rows are one pair, whose value is that of the row with the "
       "lower node number first (b,c)",
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string network = c.files.begin()->first;  // n.csv or n.net, before x.csv
    const CommandRun r =
        run_command(c.files, {"summary", network, "-m", c.model, "--undirected", "--json", "-"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(test::warning_codes(json), c.codes);
    EXPECT_EQ(json["input"]["network"]["links"], c.edges);
    EXPECT_EQ(json["input"]["network"]["directed"], false);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // One weighted link is said in the singular.
  const CommandRun weighted = run_command(cases[0].files, {"fit", "n.csv", "-m", "edges", "-q"});
  EXPECT_NE(weighted.err.find("1 link of n.csv has a value other than 0 and 1 (2): every"),
            std::string::npos)
      << weighted.err;
  // The covariate of the pair {b, c} is that of b,c: 5; of {a, b}: 3; {c, d} has none.
  const CommandRun r = run_command(cases[3].files, {"summary", "n.csv", "-m", "edgecov(\"x.csv\")",
                                                    "--undirected", "--json", "-"});
  EXPECT_EQ(nlohmann::json::parse(r.out)["statistics"][0]["value"], 8.0);
}

// simulate writes each edge once under a header without direction, with the families' names;
// read back as undirected, every network has the statistics that --stats gave it.
TEST(Undirected, SimulatedNetworksAreWrittenOncePerEdgeAndReadBack) {
  const std::string model = "edges+triangle";
  const CommandRun r =
      run_command(florentine(), {"simulate", "m.net", "-m", model, "--undirected", "--networks",
                                 "4", "--out", "s", "--stats", "stats.csv", "-q", "--seed", "5"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  std::istringstream stats(r.files.at("stats.csv"));
  std::string line;
  std::getline(stats, line);
  EXPECT_EQ(line, "network,edges,triangle");
  std::getline(stats, line);
  EXPECT_EQ(line, "observed,20,3");
  for (int k = 1; k <= 4; ++k) {
    SCOPED_TRACE(k);
    const std::string network = r.files.at("s/network_" + std::to_string(k) + ".csv");
    std::istringstream rows(network);
    std::getline(rows, line);
    EXPECT_EQ(line, "node1,node2");
    std::set<std::pair<std::string, std::string>> pairs;
    int edges = 0;
    while (std::getline(rows, line)) {
      const std::string a = line.substr(0, line.find(',')), b = line.substr(line.find(',') + 1);
      EXPECT_TRUE(pairs.insert({std::min(a, b), std::max(a, b)}).second) << "twice: " << line;
      EXPECT_NE(a, b);
      ++edges;
    }
    std::getline(stats, line);
    const CommandRun back = run_command(
        {{"n.csv", network}}, {"summary", "n.csv", "-m", model, "--undirected", "--csv", "-"});
    ASSERT_EQ(back.status, exit_ok) << back.err;
    EXPECT_NE(back.out.find("edges,edges," + std::to_string(edges) + "\n"), std::string::npos);
    // The statistics row: "k,edges,triangles".
    const std::string values = line.substr(line.find(',') + 1);
    EXPECT_EQ(values.substr(0, values.find(',')), std::to_string(edges));
    EXPECT_NE(back.out.find("triangle,triangle," + values.substr(values.find(',') + 1) + "\n"),
              std::string::npos)
        << back.out << " against " << line;
  }
}

// Errors from simulated networks and the existence check work over the pairs as well.
TEST(Undirected, SimulatedErrorsAndTheExistenceCheck) {
  for (const char* method : {"godambe", "bootstrap"}) {
    const CommandRun r = run_command(
        florentine(), {"fit", "m.net", "-m", "edges+nodecov(wealth)", "--attributes", "a.csv",
                       "--undirected", "--se", method, "--replicates", "40", "--json", "-", "-q"});
    ASSERT_EQ(r.status, exit_ok) << method << ": " << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["standard_errors"]["method"], method);
    for (const auto& p : json["parameters"]) {
      EXPECT_GT(p["std_error"].get<double>(), 0.0) << method;
    }
  }
  // No edge between the groups: the statistics separate the pairs, and the fit says so.
  const CommandRun r = run_command({{"n.csv", "a1,a2\na2,a3\nb1,b2\nb2,b3\n"},
                                    {"g.csv", "id,g\na1,a\na2,a\na3,a\nb1,b\nb2,b\nb3,b\n"}},
                                   {"fit", "n.csv", "-m", "edges+nodematch(g)", "--attributes",
                                    "g.csv", "--undirected", "--json", "-", "-q"});
  EXPECT_EQ(r.status, exit_fit_problem);
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["outcome"], "estimate_does_not_exist");
  EXPECT_EQ(json["input"]["network"]["dyads"], 15);
  EXPECT_NE(r.err.find("(9 dyads lie strictly on their side)"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tarn
