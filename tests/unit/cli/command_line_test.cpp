// The command line: bad input is met with a clear message and a documented status, and no output
// file is left half-written (the outputs' agreement with each other: the Recorded cases). (One
// network in every file format gives the same link store: SameNetwork, in the network layer's
// tests.)
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

// Krackhardt's advice network as its record file.
std::string advice_record() {
  return test::example("advice.dat");
}

// The dialogue's capacities (2000 nodes, 500000 links) are not the command line's: it reads
// networks past them, short of memory (past 2000 nodes: LargeNetwork, 120000 of them).
TEST(CommandLine, ReadsPastTheDialoguesCapacities) {
  std::string many_links;
  for (int i = 1; i <= 2000; ++i)
    for (int k = 0; k < 250; ++k)
      many_links += std::to_string(i) + "," + std::to_string(1 + (i + 8 * k) % 2000) + "\n";
  many_links += "2001,1\n";
  const CommandRun links = run_command(
      {{"n.csv", many_links}}, {"summary", "n.csv", "-m", "edges", "-q", "--json", "s.json"});
  EXPECT_EQ(links.status, 0) << links.err;
  EXPECT_EQ(nlohmann::json::parse(links.files.at("s.json"))["input"]["network"]["links"], 500001);
}

struct BadCase {
  const char* what;
  Files files;
  std::vector<std::string> arguments;
  int status;
  std::string message;  // a part of standard error
};

// Every refusal: its status and message, short, and nothing written. One row per kind (unknown
// terms and block terms without a blocking: ModelTerms' table).
TEST(CommandLine, BadInputIsRefusedClearlyAndLeavesNoOutput) {
  const std::string advice = advice_record();
  const Files network = {{"net.dat", advice}};
  const std::vector<std::string> outputs = {"--report", "r.out", "--json",
                                            "r.json",   "--csv", "r.csv"};
  auto with_outputs = [&outputs](std::vector<std::string> a) {
    a.insert(a.end(), outputs.begin(), outputs.end());
    return a;
  };
  std::vector<BadCase> cases = {
      {"unknown option",
       network,
       {"fit", "net.dat", "-m", "edges", "--diagnol"},
       exit_usage,
       "Did you mean --diagonal?"},
      {"unknown command", network, {"fitt", "net.dat"}, exit_usage, "fitt"},
      {"block type out of range",
       {{"net.dat", advice}, {"attr.csv", "id,level\n1,1\n2,2\n"}},
       {"fit", "net.dat", "-m", "edges,mutual@2", "--attributes", "attr.csv", "--block-by",
        "level"},
       exit_usage,
       "from 1 to 1"},
      {"covariate term without file",
       network,
       {"fit", "net.dat", "-m", "edges,covariate"},
       exit_usage,
       "--covariate"},
      {"both results on standard output",
       network,
       {"fit", "net.dat", "-m", "edges", "--json", "-", "--csv", "-"},
       exit_usage,
       "cannot both"},
      {"missing network", {}, {"fit", "none.csv", "-m", "edges"}, exit_bad_input, "none.csv"},
      {"ragged rows",
       {{"n.csv", "a,b\n1,2\n3\n"}},
       {"fit", "n.csv", "-m", "edges"},
       exit_bad_input,
       "\"n.csv\", line 3"},
      {"a pair given twice with different values",
       {{"n.csv", "1,2,1\n2,3,1\n1,2,2\n"}},
       {"fit", "n.csv", "-m", "edges"},
       exit_bad_input,
       "Input error in \"n.csv\", line 3: the pair 1,2 is given again with the value 2 (line 1 "
       "gives it 1)"},
      {"an unnamed first column that is no pandas index",
       {{"n.csv", ",source,target\n0,a,b\n2,b,c\n"}},
       {"fit", "n.csv", "-m", "edges"},
       exit_bad_input,
       "Input error in \"n.csv\", line 3, column 1: the first column has no name and reads as the "
       "index that pandas writes (0, 1, 2, ...), but this row has \"2\" where 1 belongs"},
      {"--labels with --nodes",
       {{"n.csv", "1,2\n"}},
       {"fit", "n.csv", "-m", "edges", "--labels", "--nodes", "3"},
       exit_usage,
       "--labels reads the ids of an edge list as labels, --nodes N as the node numbers 1..N; give "
       "one of them"},
      {"--labels with a record file",
       network,
       {"fit", "net.dat", "-m", "edges", "--labels"},
       exit_usage,
       "--labels is for edge lists; net.dat is a record file"},
      {"an attribute table whose ids name no node",
       {{"n.csv", "a,b\nb,c\n"}, {"t.csv", ",name,g\n0,a,1\n1,b,2\n2,c,1\n"}},
       {"summary", "n.csv", "-m", "edges", "--attributes", "t.csv"},
       exit_bad_input,
       "Attribute file \"t.csv\": only 0 of its 3 ids name a node of the network (its ids are "
       "such as \"0\" and \"1\", the network's nodes such as \"a\" and \"b\")"},
      {"a link against a 0 in a record file",
       {{"n.dat", "(3I3)\n  1  2  0\n  1  2  1\n  2  1  1\n"}},
       {"summary", "n.dat", "-m", "edges", "--json", "s.json"},
       exit_bad_input,
       "Input error in \"n.dat\", line 3: the pair 1,2 is given again with the value 1 (line 2 "
       "gives it 0)"},
      {"a Pajek arc given twice with different weights",
       {{"n.net", "*Vertices 2\n*Arcs\n1 2 1\n2 1\n1 2 3\n"}},
       {"gof", "n.net", "-m", "edges", "--csv", "g.csv"},
       exit_bad_input,
       "line 5: the pair 1,2 is given again with the value 3 (line 3 gives it 1)"},
      {"output that cannot be written",
       network,
       {"fit", "net.dat", "-m", "edges", "--report", "no/such/folder/r.out"},
       exit_output_failed,
       "no/such/folder/r.out"},
      {"an output that is the network",
       network,
       {"fit", "net.dat", "-m", "edges", "--csv", "net.dat", "-q"},
       exit_usage,
       "--csv net.dat: this is the file that the network argument reads (net.dat)"},
      {"the statistics written over the attributes",
       {{"net.dat", advice}, {"attr.csv", "id,level\n1,1\n2,2\n"}},
       {"simulate", "net.dat", "-m", "edges", "--attributes", "attr.csv", "--stats", "attr.csv"},
       exit_usage,
       "--stats attr.csv: this is the file that --attributes reads"},
      {"a coefficient that is not a number",
       network,
       {"simulate", "net.dat", "-m", "edges,mutual", "--coef", "-3.9,nan"},
       exit_usage,
       "--coef: coefficient 2 (nan) is not a finite number"},
      {"a negative seed",
       network,
       {"simulate", "net.dat", "-m", "edges", "--seed", "-5"},
       exit_usage,
       "--seed: give a seed of 0 or more, not -5"},
      {"offset values missing",
       network,
       {"fit", "net.dat", "-m", "edges + offset(mutual)", "--json", "r.json", "--csv", "r.csv"},
       exit_usage,
       "--offset-coef: 0 values for 1 offset coefficient"},
      {"an offset value that is not a number",
       network,
       {"gof", "net.dat", "-m", "edges + offset(mutual)", "--offset-coef", "x", "--csv", "g.csv"},
       exit_usage,
       "--offset-coef: \"x\" is not a number"},
      {"an infinite coefficient only for an offset",
       network,
       {"simulate", "net.dat", "-m", "edges + offset(mutual)", "--coef", "-inf,-inf"},
       exit_usage,
       "--coef: coefficient 1 (-inf) is not a finite number"},
      {"statistics linearly dependent",
       network,
       {"fit", "net.dat", "-m", "edges,edges"},
       exit_fit_problem,
       "linearly dependent"},
  };
  // Two outputs in one file would leave it holding the one renamed last.
  for (const std::vector<std::string>& outputs :
       {std::vector<std::string>{"--json", "a.json", "--csv", "a.json"},
        {"--report", "a.out", "--csv", "./a.out"},
        {"--json", "-", "--report", "r.out", "--csv", "r.out"}}) {
    std::vector<std::string> arguments = {"fit", "net.dat", "-m", "edges"};
    arguments.insert(arguments.end(), outputs.begin(), outputs.end());
    cases.push_back({"one file for two outputs", network, arguments, exit_usage,
                     "give every output its own file"});
  }
  // The sampler's counts are refused as the command line is read, before any file is: a usage
  // error, not the missing none.dat.
  for (auto [option, value, message] :
       {std::tuple{"--chains", "0", "--chains: give 1 or more, not 0"},
        {"--interval", "0", "--interval: give 1 or more toggles, not 0"},
        {"--burnin", "-2", "--burnin: give 0 or more toggles, not -2"}}) {
    for (const char* command : {"fit", "simulate", "gof"})
      cases.push_back({"a sampler count",
                       {},
                       {command, "none.dat", "-m", "edges", option, value},
                       exit_usage,
                       message});
  }
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what + (" " + c.arguments.back()));
    const bool writes = c.status == exit_fit_problem;
    const CommandRun r = run_command(c.files, writes ? with_outputs(c.arguments) : c.arguments);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 600u) << r.err;
    if (std::string(c.what) == "a sampler count") {  // no option misread
      EXPECT_EQ(r.err.find("Did you mean"), std::string::npos) << r.err;
    }
    if (!writes) {
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.files, c.files);  // nothing written, no temporary file left
    } else {
      // A fit that gave no estimate still writes every output whole.
      EXPECT_EQ(r.files.at("r.out"), " Network file:   net.dat                 \n");
      const auto json = nlohmann::json::parse(r.files.at("r.json"));
      EXPECT_EQ(json["warnings"][0]["code"], "statistics_linearly_dependent");
      EXPECT_TRUE(json["parameters"][0]["estimate"].is_null());
      EXPECT_NE(r.files.at("r.csv").find("edges,NA,NA"), std::string::npos);
    }
  }
}

TEST(CommandLine, AttributesTableWithMissingNodesSaysWhatTheyBecome) {
  const Files files = {{"net.dat", advice_record()},
                       {"attr.csv", "id,level,dept\n1,manager,a\n2,vp,b\n3,manager,b\n"}};
  const CommandRun r = run_command(files, {"fit", "net.dat", "-m", "edges,edges@1", "--attributes",
                                           "attr.csv", "--block-by", "dept", "--json", "-"});
  EXPECT_EQ(r.status, exit_ok) << r.err;
  EXPECT_NE(r.err.find("18 of the 21 nodes have no row in attr.csv"), std::string::npos) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["blocking"]["name"], "dept");
  EXPECT_EQ(json["blocking"]["blocks"], 2);
}

// Labels and paths come as the files have them: a Latin-1 CSV is no reason to lose the results.
TEST(CommandLine, LabelsThatAreNotUtf8AreReplacedInTheJson) {
  const Files files = {
      {"latin1.csv", "from,to\nJos\xe9,Ana\nAna,Jos\xe9\nAna,Bo\nBo,Cy\nCy,Ana\nCy,Bo\n"}};
  const CommandRun r = run_command(files, {"fit", "latin1.csv", "-m", "edges", "--json", "-"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["nodes"][0]["label"], "Jos\xEF\xBF\xBD");  // U+FFFD for the byte 0xE9
  EXPECT_EQ(json["nodes"][1]["label"], "Ana");
}

// The attribute count of a record file comes from its format line, also with CRLF line ends.
TEST(CommandLine, ARecordAttributeFileGivesItsAttributeCountInItsFormatLine) {
  std::string attributes = test::example("attributes.dat");
  for (std::size_t at = attributes.find('\n'); at != std::string::npos;
       at = attributes.find('\n', at + 2)) {
    attributes.insert(at, "\r");
  }
  const Files files = {{"net.dat", advice_record()}, {"attr.dat", attributes}};
  const CommandRun r = run_command(files, {"fit", "net.dat", "-m", "edges,edges@1", "--attributes",
                                           "attr.dat", "--block-by", "4", "--json", "-"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["blocking"]["attribute"], 4);
}

// Each command's help takes formulas as in statnet.
TEST(CommandLine, HelpAndVersion) {
  EXPECT_NE(run_command({}, {"--version"}).out.find("tarnwick "), std::string::npos);
  EXPECT_EQ(run_command({}, {}).status, exit_usage);
  for (const char* command : {"fit", "simulate", "gof", "summary"}) {
    const CommandRun help = run_command({}, {command, "--help"});
    EXPECT_EQ(help.status, exit_ok);
    EXPECT_NE(help.out.find(std::string("Usage: tarnwick ") + command), std::string::npos);
    EXPECT_NE(help.out.find("a formula as in statnet"), std::string::npos) << command;
  }
}

// What the readers and the model notice is said on standard error and in the JSON warnings, with
// the network it gives (repeated rows, self-links and declared isolates: OneNetworkPerFile and
// FilesAsWritten; the readers' own warnings: the network layer's tests).
TEST(CommandLine, WhatTheDataSuggestIsSaidAndCounted) {
  std::string families = "family1,family2\n";
  const char* names[] = {"Acciaiuoli", "Albizzi",  "Barbadori",    "Bischeri", "Castellani",
                         "Ginori",     "Guadagni", "Lamberteschi", "Medici",   "Pazzi",
                         "Peruzzi",    "Ridolfi",  "Salviati",     "Strozzi",  "Tornabuoni"};
  for (int k = 0; k < 15; ++k) families += std::string(names[k]) + "," + names[(k + 1) % 15] + "\n";
  std::string attributes = "family,wealth\nPucci,3\n";
  for (const char* name : names) attributes += std::string(name) + ",1\n";
  std::string two_mode = "person,club\n";
  for (int k = 1; k <= 12; ++k)
    two_mode += "p" + std::to_string(k) + ",c" + std::to_string(k % 3) + "\n";
  const struct {
    const char* what;
    Files files;
    std::vector<std::string> options;
    std::vector<std::string> codes;
    int nodes;
  } cases[] = {
      {"a header read as a link, and a family in the attributes only",
       {{"m.csv", families}, {"a.csv", attributes}},
       {"m.csv", "--attributes", "a.csv"},
       {"header_guessed", "isolates_from_attributes"},
       16},
      {"two kinds of node",
       {{"n.csv", two_mode}},
       {"n.csv"},
       {"header_guessed", "looks_two_mode"},
       15},
      {"--block-by without a block term",
       {{"n.csv", "a,b\nb,c\nc,a\n"}, {"a.csv", "id,g\na,1\nb,2\nc,1\n"}},
       {"n.csv", "--attributes", "a.csv", "--block-by", "g"},
       {"block_by_unused"},
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> arguments = {"fit"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    arguments.insert(arguments.end(), {"-m", "edges", "--json", "-"});
    const CommandRun r = run_command(c.files, arguments);
    ASSERT_NE(r.status, exit_bad_input) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    std::vector<std::string> codes;
    for (const auto& w : json["warnings"]) {
      codes.push_back(w["code"]);
      EXPECT_NE(r.err.find(w["message"].get<std::string>()), std::string::npos) << r.err;
    }
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(json["input"]["network"]["nodes"], c.nodes);
  }
}

}  // namespace
}  // namespace tarn
