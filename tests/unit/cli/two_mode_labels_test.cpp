// Two-mode edge lists named by labels (--two-mode): senders are the first mode, receivers the
// second, each with labels of its own ("A" attends the event "A"). The covariates' statistics are
// counted here from the rows, and the same network numbered by hand and read with --bipartite N1
// must give the same fit; attribute tables say a label's mode in a column `mode`; bad input is
// refused with nothing written.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "support/json_fields.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

// People and the events they attend; A, B and C are names of both. Twelve rows, so that a
// header of labels alone is taken for one without --header.
const std::vector<std::pair<std::string, std::string>> attendance = {
    {"A", "A"}, {"A", "B"}, {"B", "A"}, {"C", "B"}, {"C", "C"}, {"D", "A"},
    {"B", "D"}, {"E", "C"}, {"E", "A"}, {"D", "B"}, {"F", "D"}, {"A", "C"}};

// The modes' labels in order of first appearance.
struct Modes {
  std::vector<std::string> people, events;
};

Modes modes_of(const std::vector<std::pair<std::string, std::string>>& rows) {
  Modes m;
  for (const auto& [person, event] : rows) {
    if (std::find(m.people.begin(), m.people.end(), person) == m.people.end())
      m.people.push_back(person);
    if (std::find(m.events.begin(), m.events.end(), event) == m.events.end())
      m.events.push_back(event);
  }
  return m;
}

std::string labelled_csv(bool header) {
  std::string csv = header ? "person,event\n" : "";
  for (const auto& [person, event] : attendance) csv += person + "," + event + "\n";
  return csv;
}

// The same network with nodes numbered by hand: people 1..N1, events after them.
std::string numbered_csv(const Modes& m) {
  const auto index = [](const std::vector<std::string>& labels, const std::string& label) {
    return static_cast<int>(std::find(labels.begin(), labels.end(), label) - labels.begin()) + 1;
  };
  const int first = static_cast<int>(m.people.size());
  std::string csv = "person,event\n";
  for (const auto& [person, event] : attendance) {
    csv += std::to_string(index(m.people, person)) + "," +
           std::to_string(first + index(m.events, event)) + "\n";
  }
  return csv;
}

// The modes' sizes and the links (the two-mode statistics against brute force:
// bipartite_catalogue_test; the labels' numbering: TheFitEqualsThatOfTheNetworkNumberedByHand).
TEST(TwoModeLabels, TheModesAreTheColumns) {
  const Modes m = modes_of(attendance);
  for (const bool header : {false, true}) {  // without --header the header is guessed
    std::vector<std::string> arguments = {"summary", "a.csv",  "--two-mode", "-m",
                                          "edges",   "--json", "s.json"};
    if (header) arguments.insert(arguments.end(), {"--header", "yes"});
    const CommandRun r = run_command({{"a.csv", labelled_csv(true)}}, arguments);
    ASSERT_EQ(r.status, exit_ok) << r.err;
    const auto json = nlohmann::json::parse(r.files.at("s.json"));
    const auto& network = json["input"]["network"];
    EXPECT_EQ(network["bipartite"], m.people.size());
    EXPECT_EQ(network["nodes"], m.people.size() + m.events.size());
    EXPECT_EQ(network["directed"], false);
    // Nothing of a one-mode network's shape is said; a header of labels alone is guessed.
    EXPECT_EQ(json["warnings"].size(), header ? 0u : 1u) << json["warnings"];
    EXPECT_EQ(test::statistic_value(json["statistics"], "edges"),
              static_cast<double>(attendance.size()));
  }
}

TEST(TwoModeLabels, TheFitEqualsThatOfTheNetworkNumberedByHand) {
  const Modes m = modes_of(attendance);
  const std::string model = "edges + b1star(2) + b2star(2)";
  const CommandRun labelled = run_command(
      {{"a.csv", labelled_csv(true)}},
      {"fit", "a.csv", "--two-mode", "--header", "yes", "-m", model, "--json", "f.json", "-q"});
  const CommandRun numbered = run_command(
      {{"a.csv", numbered_csv(m)}}, {"fit", "a.csv", "--bipartite", std::to_string(m.people.size()),
                                     "--header", "yes", "-m", model, "--json", "f.json", "-q"});
  ASSERT_EQ(labelled.status, exit_ok) << labelled.err;
  ASSERT_EQ(numbered.status, exit_ok) << numbered.err;
  const auto a = nlohmann::json::parse(labelled.files.at("f.json"));
  const auto b = nlohmann::json::parse(numbered.files.at("f.json"));
  EXPECT_EQ(a["parameters"], b["parameters"]);
  EXPECT_EQ(a["log_likelihood"], b["log_likelihood"]);
  EXPECT_EQ(a["input"]["network"]["dyads"], m.people.size() * m.events.size());
  // The labels as the file writes them, people first: "A" is node 1 and node N1 + 1.
  EXPECT_EQ(a["nodes"][0]["label"], "A");
  EXPECT_EQ(a["nodes"][m.people.size()]["label"], m.events[0]);
  EXPECT_EQ(a["command"]["data"], nlohmann::json({"a.csv", "--header", "yes", "--two-mode"}));
}

// Sizes of people (mode 1) and events (mode 2); a label of one mode needs no mode.
std::string sizes_table() {
  return "id,size,mode\nA,3,1\nB,4,1\nC,5,1\nD,1,1\nE,2,\nF,6,1\n"
         "A,7,2\nB,11,2\nC,13,NA\nD,17,2\n";
}

TEST(TwoModeLabels, AnAttributeTableSaysTheModeOfALabelOfBoth) {
  std::map<std::string, int> person_size = {{"A", 3}, {"B", 4}, {"C", 5},
                                            {"D", 1}, {"E", 2}, {"F", 6}};
  std::map<std::string, int> event_size = {{"A", 7}, {"B", 11}, {"D", 17}};
  // The row of C as an event has its mode NA, and "C" names a node of each mode.
  const CommandRun ambiguous =
      run_command({{"a.csv", labelled_csv(true)}, {"s.csv", sizes_table()}},
                  {"summary", "a.csv", "--two-mode", "--header", "yes", "--attributes", "s.csv",
                   "-m", "edges"});
  EXPECT_EQ(ambiguous.status, exit_bad_input);
  EXPECT_NE(ambiguous.err.find("\"s.csv\", line 10, column 1: the label \"C\" names a node of "
                               "each mode; give its mode"),
            std::string::npos)
      << ambiguous.err;
  std::string table = sizes_table();
  table.replace(table.find("C,13,NA"), 7, "C,13,2");
  event_size["C"] = 13;
  const CommandRun r =
      run_command({{"a.csv", labelled_csv(true)}, {"s.csv", table}},
                  {"summary", "a.csv", "--two-mode", "--header", "yes", "--attributes", "s.csv",
                   "-m", "b1cov(\"size\") + b2cov(\"size\")", "--json", "s.json"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  int b1cov = 0, b2cov = 0;
  for (const auto& [person, event] : attendance) {
    b1cov += person_size.at(person);
    b2cov += event_size.at(event);
  }
  const auto json = nlohmann::json::parse(r.files.at("s.json"));
  EXPECT_EQ(test::statistic_value(json["statistics"], "b1cov.size"), b1cov);
  EXPECT_EQ(test::statistic_value(json["statistics"], "b2cov.size"), b2cov);
  // The column mode is no attribute.
  const CommandRun no_mode = run_command({{"a.csv", labelled_csv(true)}, {"s.csv", table}},
                                         {"summary", "a.csv", "--two-mode", "--header", "yes",
                                          "--attributes", "s.csv", "-m", "b1cov(\"mode\")"});
  EXPECT_NE(no_mode.status, exit_ok);
  // Nor does it count among the eight attributes a table may have.
  const CommandRun eight = run_command(
      {{"a.csv", labelled_csv(true)}, {"s.csv", "id,a,b,c,d,e,f,g,h,mode\nA,1,1,1,1,1,1,1,1,2\n"}},
      {"summary", "a.csv", "--two-mode", "--header", "yes", "--attributes", "s.csv", "-m",
       "b2cov(\"h\")"});
  EXPECT_EQ(eight.status, exit_bad_input);  // only event A has a value of h
  EXPECT_NE(eight.err.find("has no value of \"h\""), std::string::npos) << eight.err;
}

struct BadCase {
  std::string what;
  Files files;
  std::vector<std::string> arguments;
  int status;
  std::string message;
};

// One row per kind: an option that --two-mode excludes, a file that is no edge list, ...
TEST(TwoModeLabels, BadInputIsRefusedWithNothingWritten) {
  const Files list = {{"a.csv", labelled_csv(true)}};
  const auto fit = [](std::vector<std::string> more) {
    std::vector<std::string> arguments = {"fit", "a.csv", "--two-mode", "--header", "yes"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.insert(arguments.end(), {"-m", "edges", "--json", "out.json"});
    return arguments;
  };
  const std::vector<BadCase> cases = {
      {"with --diagonal", list, fit({"--diagonal"}), exit_usage, "--diagonal with --two-mode"},
      {"a --missing receiver that names no event",
       {{"a.csv", labelled_csv(true)}, {"m.csv", "A,D\nF,E\n"}},
       fit({"--missing", "m.csv"}),
       exit_bad_input,
       "\"m.csv\", line 2, column 2: \"E\" is no node of the second mode"},
      {"a Pajek file",
       {{"a.net", "*Vertices 2\n1 \"A\"\n2 \"B\"\n*Edges\n1 2\n"}},
       {"fit", "a.net", "--two-mode", "-m", "edges", "--json", "out.json"},
       exit_usage,
       "--two-mode is for edge lists; a.net is a pajek file"},
      {"a list of no rows: neither mode has a node",
       {{"a.csv", "person,event\n"}},
       fit({}),
       exit_bad_input,
       "the file holds a header line and no link"},
      {"an attribute table with a label of both modes and no column mode",
       {{"a.csv", labelled_csv(true)}, {"s.csv", "id,size\nB,1\nA,2\n"}},
       fit({"--attributes", "s.csv"}),
       exit_bad_input,
       "\"s.csv\", line 2, column 1: the label \"B\" names a node of each mode; add a column mode "
       "(1: the first mode, 2: the second)"},
      {"a mode neither 1 nor 2",
       {{"a.csv", labelled_csv(true)}, {"s.csv", "id,mode,size\nA,1,2\nB,first,1\n"}},
       fit({"--attributes", "s.csv"}),
       exit_bad_input,
       "\"s.csv\", line 3, column 2: the mode \"first\" is neither 1 (the first mode) nor 2"},
  };
  for (const BadCase& c : cases) {
    const CommandRun r = run_command(c.files, c.arguments);
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(r.files.count("out.json"), 0u) << c.what;
  }
}

}  // namespace
}  // namespace tarn
