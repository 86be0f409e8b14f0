// Missing dyads (NA) on the command line: the liking among Sampson's monks with two monks taken
// for non-respondents (their out-dyads unknown). The pseudo-likelihood then runs over the
// observed dyads, and for a dyad-independent model it is the exact likelihood: its estimates are
// the log-odds of links among the observed dyads of each class, counted here from the arcs. A
// table of bad input is refused: a file's with status 3 naming the file and the line, a
// setting's with status 2.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
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

struct Monks {
  std::vector<std::string> name;       // by node number - 1
  std::vector<std::string> group;      // by node number - 1
  std::set<std::pair<int, int>> arcs;  // node numbers
};

Monks read_monks() {
  Monks m;
  std::istringstream net(test::example("samplike.net"));
  std::string line;
  bool arcs = false;
  while (std::getline(net, line)) {
    if (line.rfind("*Arcs", 0) == 0) arcs = true;
    if (line.empty() || line[0] == '*') continue;
    std::istringstream fields(line);
    int a = 0;
    fields >> a;
    if (!arcs) {
      const std::size_t quote = line.find('"');
      m.name.push_back(line.substr(quote + 1, line.rfind('"') - quote - 1));
      continue;
    }
    int b = 0;
    fields >> b;
    m.arcs.insert({a, b});
  }
  std::istringstream table(test::example("samplike_attributes.csv"));
  std::getline(table, line);
  std::map<std::string, std::string> group;
  while (std::getline(table, line)) {
    const std::size_t comma = line.find(',');
    group[line.substr(0, comma)] = line.substr(comma + 1, line.find(',', comma + 1) - comma - 1);
  }
  for (const std::string& n : m.name) m.group.push_back(group.at(n));
  return m;
}

// Basil (3) and Mark (7) did not answer: their out-dyads are unknown.
bool unanswered(int a) {
  return a == 3 || a == 7;
}

// The liking as an edge list by name: the observed links, and the non-respondents' out-dyads
// given NA (`na_rows`) or listed in miss.csv.
Files monk_files(const Monks& m, bool na_rows) {
  std::string edges = "sender,receiver,value\n", missing;
  const int n = static_cast<int>(m.name.size());
  for (int a = 1; a <= n; ++a) {
    for (int b = 1; b <= n; ++b) {
      const std::string pair = m.name[std::size_t(a - 1)] + "," + m.name[std::size_t(b - 1)];
      if (a != b && unanswered(a)) {
        if (na_rows) edges += pair + (a == 3 ? ",NA\n" : ",\n");
        missing += pair + "\n";
      } else if (m.arcs.count({a, b}) > 0) {
        edges += pair + ",1\n";
      }
    }
  }
  Files files = {{"monks.csv", edges}, {"groups.csv", test::example("samplike_attributes.csv")}};
  if (!na_rows) files["miss.csv"] = missing;
  return files;
}

double logit(double links, double dyads) {
  return std::log(links / (dyads - links));
}

nlohmann::json fit_json(const Files& files, std::vector<std::string> arguments) {
  arguments.insert(arguments.end(), {"--json", "r.json", "-q"});
  const CommandRun r = run_command(files, arguments);
  EXPECT_EQ(r.status, exit_ok) << r.err;
  if (r.status != exit_ok) return {};
  return nlohmann::json::parse(r.files.at("r.json"));
}

TEST(MissingDyadsCommand, EdgesAndNodematchOverTheObservedDyadsAreTheirLogOdds) {
  const Monks m = read_monks();
  const int n = static_cast<int>(m.name.size());
  double links[2] = {0, 0}, dyads[2] = {0, 0};  // by same group
  for (int a = 1; a <= n; ++a) {
    if (unanswered(a)) continue;
    for (int b = 1; b <= n; ++b) {
      if (a == b) continue;
      const int same = m.group[std::size_t(a - 1)] == m.group[std::size_t(b - 1)] ? 1 : 0;
      dyads[same] += 1;
      links[same] += m.arcs.count({a, b}) > 0 ? 1 : 0;
    }
  }
  const double across = logit(links[0], dyads[0]);
  const double within = logit(links[1], dyads[1]);
  for (const bool na_rows : {true, false}) {
    std::vector<std::string> a = {"fit",        "monks.csv", "--attributes",
                                  "groups.csv", "-m",        "edges + nodematch(\"group\")"};
    if (!na_rows) a.insert(a.end(), {"--missing", "miss.csv"});
    for (const char* method : {"mple", "mcmle"}) {
      std::vector<std::string> with_method = a;
      with_method.insert(with_method.end(), {"--method", method});
      const nlohmann::json json = fit_json(monk_files(m, na_rows), with_method);
      ASSERT_FALSE(json.is_null()) << method;
      EXPECT_NEAR(json["parameters"][0]["estimate"].get<double>(), across, 1e-7) << method;
      EXPECT_NEAR(json["parameters"][1]["estimate"].get<double>(), within - across, 1e-7) << method;
      EXPECT_EQ(json["input"]["network"]["missing_dyads"], 34) << method;
      EXPECT_EQ(json["input"]["network"]["dyads"], n * (n - 1) - 34) << method;
      // The log-likelihood of the observed dyads, from the two rates.
      double loglik = 0;
      for (int s = 0; s < 2; ++s) {
        const double p = links[s] / dyads[s];
        loglik += links[s] * std::log(p) + (dyads[s] - links[s]) * std::log(1 - p);
      }
      EXPECT_NEAR(json["log_likelihood"].get<double>(), loglik, 1e-6) << method;
    }
  }
}

TEST(MissingDyadsCommand, SummaryCountsMissingDyadsAsNoLinkAndSaysHowMany) {
  const Monks m = read_monks();
  int observed_links = 0;
  for (const auto& [a, b] : m.arcs) observed_links += unanswered(a) ? 0 : 1;
  const CommandRun r =
      run_command(monk_files(m, true), {"summary", "monks.csv", "-m", "edges", "--json", "s.json"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  EXPECT_NE(r.out.find("missing dyads: 34\n"), std::string::npos) << r.out;
  const auto json = nlohmann::json::parse(r.files.at("s.json"));
  EXPECT_EQ(json["input"]["network"]["missing_dyads"], 34);
  EXPECT_EQ(json["statistics"][0]["value"].get<double>(), observed_links);
}

// Nodes named only by missing dyads are named: numbers 3 to 6 here are no unnamed gap.
TEST(MissingDyadsCommand, NodesOfMissingDyadsAreNodesOfTheNetwork) {
  const CommandRun r = run_command({{"e.csv", "1,2,1\n3,4,NA\n5,6,NA\n"}},
                                   {"summary", "e.csv", "-m", "edges", "--json", "s.json"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.files.at("s.json"));
  EXPECT_EQ(json["input"]["network"]["nodes"], 6);
  EXPECT_EQ(json["input"]["network"]["missing_dyads"], 2);
}

// gof sees every network drawn as the observed one is seen: the missing dyads as no link. At
// coefficient 0 each observed dyad is a link half the time, so the edges of the networks drawn
// average half the 272 observed dyads (not half of all 306), and Basil and Mark, whose
// out-dyads are all missing, have out-degree 0 in every one.
TEST(MissingDyadsCommand, GofCountsTheNetworksDrawnWithoutTheirMissingDyads) {
  const Monks m = read_monks();
  const CommandRun r =
      run_command(monk_files(m, true), {"gof", "monks.csv", "-m", "edges", "--coef", "0",
                                        "--networks", "200", "--csv", "g.csv", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  bool edges = false, isolated_senders = false;
  for (const std::vector<std::string>& f : test::csv_rows(r.files.at("g.csv"))) {
    if (f[0] == "model" && f[1] == "edges") {
      edges = true;
      EXPECT_EQ(std::stod(f[2]), 78.0);
      // 200 networks of 272 coin tosses: the mean's sd is 0.6.
      EXPECT_NEAR(std::stod(f[4]), 136.0, 3.0);
    }
    if (f[0] == "out_degree" && f[1] == "0") {
      isolated_senders = true;
      EXPECT_EQ(std::stod(f[3]), 2.0 / 18.0);  // the least share drawn
    }
  }
  EXPECT_TRUE(edges && isolated_senders) << r.files.at("g.csv");
}

// simulate --constraints observed draws the missing dyads only: every other dyad keeps its value.
TEST(MissingDyadsCommand, ObservedConstraintImputesTheMissingDyadsOnly) {
  const Monks m = read_monks();
  const CommandRun r =
      run_command(monk_files(m, false),
                  {"simulate", "monks.csv", "--missing", "miss.csv", "-m", "edges", "--coef", "0",
                   "--constraints", "observed", "--networks", "20", "--out", "s", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  int networks = 0;
  std::set<std::string> distinct;
  for (const auto& [file, links] : test::drawn_links(r, "s")) {
    ++networks;
    std::set<std::pair<std::string, std::string>> drawn, imputed;
    for (const auto& [a, b] : links) {
      if (a == "Basil" || a == "Mark") {
        imputed.insert({a, b});
      } else {
        drawn.insert({a, b});
      }
    }
    std::set<std::pair<std::string, std::string>> observed;
    for (const auto& [a, b] : m.arcs) {
      if (!unanswered(a)) observed.insert({m.name[std::size_t(a - 1)], m.name[std::size_t(b - 1)]});
    }
    EXPECT_EQ(drawn, observed) << file;
    std::string key;
    for (const auto& [a, b] : imputed) key += a + ">" + b + ";";
    distinct.insert(key);
  }
  EXPECT_EQ(networks, 20);
  EXPECT_GT(distinct.size(), 15u);  // at coefficient 0 each of the 34 dyads is a coin toss
}

TEST(MissingDyadsCommand, BadInputIsRefusedNamingTheFileAndLine) {
  const struct {
    const char* what;
    int status;
    Files files;
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {"a dyad both linked and NA",
       exit_bad_input,
       {{"e.csv", "from,to,value\n1,2,1\n2,3,1\n1,2,NA\n"}},
       {"summary", "e.csv", "-m", "edges"},
       "e.csv\", line 4: the dyad \"1\", \"2\" is missing (NA) here but a link"},
      {"an undirected pair given both ways, a link and NA",
       exit_bad_input,
       {{"e.csv", "from,to,value\n1,2,1\n2,3,1\n2,1,\n"}},
       {"summary", "e.csv", "--undirected", "-m", "edges"},
       "e.csv\", line 4: the dyad \"2\", \"1\" is missing (NA) here but a link"},
      {"--missing naming a link",
       exit_bad_input,
       {{"e.csv", "from,to\n1,2\n2,3\n"}, {"m.csv", "3,1\n1,2\n"}},
       {"summary", "e.csv", "--missing", "m.csv", "-m", "edges"},
       "m.csv\", line 2: the dyad \"1\", \"2\" is missing (NA) here but a link"},
      {"observed without missing dyads",
       exit_usage,
       {{"e.csv", "from,to\n1,2\n2,3\n"}},
       {"simulate", "e.csv", "-m", "edges", "--coef", "0", "--constraints", "observed"},
       "observed: the network has no missing dyads"},
      {"equilibrium expectation",
       exit_usage,
       {{"e.csv", "from,to,value\n1,2,1\n2,3,1\n3,1,NA\n"}},
       {"fit", "e.csv", "-m", "edges + mutual", "--method", "ee"},
       "1 missing dyads (--missing or values NA): equilibrium expectation does not leave them "
       "out; give --method mcmle"},
  };
  for (const auto& c : cases) {
    const CommandRun r = run_command(c.files, c.arguments);
    EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << "\n" << r.err;
  }
}

}  // namespace
}  // namespace tarn
