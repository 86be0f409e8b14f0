// Files as researchers have them, written by networkx 2.8 and pandas 1.5 (made here from the
// exact bytes those writers produce) or by hand: each gives the network it holds, or is refused
// with a message that says why, never another network with exit status 0. One file gives one
// network, and every count, statistic and results field describes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "support/florentine_marriages.h"
#include "support/json_fields.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;

using Edges = std::vector<std::pair<std::string, std::string>>;

// nx.write_edgelist(G, path, delimiter=",", data=False): each edge of an undirected graph once,
// "u,v" and a line feed, nothing else.
std::string networkx_edge_list(const Edges& edges) {
  std::string text;
  for (const auto& [u, v] : edges) text += u + "," + v + "\n";
  return text;
}

// nx.to_pandas_edgelist(G).to_csv(path), pandas' defaults: the index as an unnamed first column,
// then source and target (and weight, when the edges have one, a float).
std::string pandas_edge_list(const Edges& edges, bool weights) {
  std::string text = weights ? ",source,target,weight\n" : ",source,target\n";
  for (std::size_t k = 0; k < edges.size(); ++k) {
    text += std::to_string(k) + "," + edges[k].first + "," + edges[k].second +
            (weights ? ",1.0\n" : "\n");
  }
  return text;
}

// nx.write_pajek(G, path) of an undirected graph whose nodes have the string attribute `side`:
// "*vertices n", then "id label x y shape" and the attribute as key and value, each quoted only
// when it holds a blank (make_qstr); then "*edges" and "u v weight" with the weight 1.0.
std::string networkx_pajek(const test::Marriages& m) {
  const auto quoted = [](const std::string& text) {
    return text.find(' ') == std::string::npos ? text : "\"" + text + "\"";
  };
  std::string text = "*vertices " + std::to_string(m.families.size()) + "\n";
  for (std::size_t k = 0; k < m.families.size(); ++k) {
    const std::string side = m.families[k] == "Medici" ? "Medici party" : "old families";
    text += std::to_string(k + 1) + " " + quoted(m.families[k]) + " 0.0 0.0 ellipse side " +
            quoted(side) + "\n";
  }
  text += "*edges\n";
  for (const auto& [u, v] : m.edges) text += std::to_string(u) + " " + std::to_string(v) + " 1.0\n";
  return text;
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Files files = {{"n.csv", c.text}};
    const CommandRun edges = run_command(files, {"summary", "n.csv", "-m", "edges", "--json", "-"});
    ASSERT_EQ(edges.status, exit_ok) << edges.err;
    EXPECT_EQ(test::statistic_value(nlohmann::json::parse(edges.out)["statistics"], "edges"),
              c.links);
    const CommandRun with_triangles =
        run_command(files, {"summary", "n.csv", "-m", "edges + triangle", "--json", "-"});
    EXPECT_EQ(
        test::statistic_value(nlohmann::json::parse(with_triangles.out)["statistics"], "edges"),
        c.links);
    EXPECT_EQ(
        test::statistic_value(nlohmann::json::parse(with_triangles.out)["statistics"], "triangle"),
        c.triangles);
    // The kernel's fit (a configuration type) and the term table's fit agree with the count; the
    // MPLE of edges alone is the logit of the share of the 6 dyads linked.
    for (const char* model : {"edges", "edges + triangle"}) {
      const CommandRun fit = run_command(files, {"fit", "n.csv", "-m", model, "--json", "-"});
      const auto json = nlohmann::json::parse(fit.out);
      EXPECT_EQ(json["input"]["network"]["links"], c.links) << model;
      EXPECT_EQ(json["parameters"][0]["statistic_observed"], c.links) << model;
      const auto codes = test::warning_codes(json);
      EXPECT_NE(std::find(codes.begin(), codes.end(), c.code), codes.end()) << model;
      if (std::string(model) == "edges") {
        EXPECT_NEAR(json["parameters"][0]["estimate"].get<double>(),
                    std::log(c.links / (6.0 - c.links)), 1e-9);
      }
    }
  }
  // With --diagonal the self-pairs are dyads, and a self-link is a link among 9.
  const Files self_link = {{"n.csv", cases[1].text}};
  const CommandRun diagonal =
      run_command(self_link, {"fit", "n.csv", "-m", "edges", "--diagonal", "--json", "-"});
  ASSERT_EQ(diagonal.status, exit_ok) << diagonal.err;
  const auto json = nlohmann::json::parse(diagonal.out);
  EXPECT_EQ(json["input"]["network"]["links"], 6);
  EXPECT_TRUE(test::warning_codes(json).empty());
  EXPECT_NEAR(json["parameters"][0]["estimate"].get<double>(), std::log(6.0 / 3.0), 1e-9);
}

// An undirected network written by networkx, each edge once, read without --undirected: not one
// link has its reverse, which is said from 20 links on, naming --undirected.
TEST(FilesAsWritten, AnUndirectedEdgeListReadAsDirectedIsSaid) {
  const Edges marriages = test::florentine_marriages().named_edges();
  ASSERT_EQ(marriages.size(), 20u);
  const CommandRun directed = run_command({{"marriages.csv", networkx_edge_list(marriages)}},
                                          {"fit", "marriages.csv", "-m", "edges", "--json", "-"});
  ASSERT_EQ(directed.status, exit_ok) << directed.err;
  const auto json = nlohmann::json::parse(directed.out);
  EXPECT_EQ(test::warning_codes(json), std::vector<std::string>{"looks_undirected"});
  EXPECT_EQ(json["warnings"][0]["figures"]["reason"], "none_reciprocated");
  EXPECT_NE(directed.err.find("Not one of the 20 links of marriages.csv has its reverse"),
            std::string::npos)
      << directed.err;
  EXPECT_NE(directed.err.find("Give --undirected to fit it as an undirected network."),
            std::string::npos);
  // Taken as undirected it is the 15 families of the list and their 20 marriages.
  const CommandRun undirected =
      run_command({{"marriages.csv", networkx_edge_list(marriages)}},
                  {"fit", "marriages.csv", "-m", "edges", "--undirected", "--json", "-"});
  ASSERT_EQ(undirected.status, exit_ok) << undirected.err;
  EXPECT_EQ(undirected.err, "");
  EXPECT_EQ(nlohmann::json::parse(undirected.out)["input"]["network"]["dyads"], 105);
  // 19 one-way links may be chance: nothing is said.
  const Edges fewer(marriages.begin(), marriages.end() - 1);
  const CommandRun few =
      run_command({{"m.csv", networkx_edge_list(fewer)}}, {"fit", "m.csv", "-m", "edges", "-q"});
  EXPECT_EQ(few.status, exit_ok);
  EXPECT_EQ(few.err, "");
}

// Women and the events they attend (a two-mode network like Davis's), written by networkx as an
// undirected graph: with --undirected the nodes split into two sets with no edge inside either,
// which is said; a tree splits so too, and says nothing.
TEST(FilesAsWritten, ATwoModeNetworkGivenAsUndirectedIsSaid) {
  Edges attended;
  for (int woman = 1; woman <= 8; ++woman) {
    for (int event = 1; event <= 5; ++event) {
      if ((woman + event) % 3 != 0) {
        attended.emplace_back("Woman " + std::to_string(woman), "E" + std::to_string(event));
      }
    }
  }
  const CommandRun r =
      run_command({{"davis.csv", networkx_edge_list(attended)}},
                  {"fit", "davis.csv", "-m", "edges", "--undirected", "--json", "-"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(test::warning_codes(json), std::vector<std::string>{"looks_two_mode"});
  EXPECT_EQ(json["input"]["network"]["dyads"], 78);  // 13 nodes: 40 pairs between the sets
  EXPECT_NE(r.err.find("The nodes of davis.csv split into two sets with no edge inside either (8 "
                       "and 5 nodes, " +
                       std::to_string(attended.size()) + " edges)"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("whose dyads include the 38 pairs within the sets"), std::string::npos);
  // One edge inside a set (two women who know each other): no longer two sets.
  attended.emplace_back("Woman 1", "Woman 2");
  const CommandRun joined = run_command({{"d.csv", networkx_edge_list(attended)}},
                                        {"fit", "d.csv", "-m", "edges", "--undirected", "-q"});
  EXPECT_EQ(joined.err, "");
  // A tree of 12 edges is two sets whatever it is.
  Edges tree;
  for (int k = 2; k <= 13; ++k)
    tree.emplace_back("n" + std::to_string(k / 2), "n" + std::to_string(k));
  const CommandRun tree_run = run_command({{"t.csv", networkx_edge_list(tree)}},
                                          {"fit", "t.csv", "-m", "edges", "--undirected", "-q"});
  EXPECT_EQ(tree_run.status, exit_ok);
  EXPECT_EQ(tree_run.err, "");
}

// pandas writes its index first, unnamed: it is no value column (which would drop row 0, of
// index 0, as a row of value 0), but an index, skipped with a note.
TEST(FilesAsWritten, APandasIndexColumnIsSkipped) {
  const Edges marriages = test::florentine_marriages().named_edges();
  for (const bool weights : {false, true}) {
    SCOPED_TRACE(weights ? "with weights" : "source and target");
    const CommandRun r =
        run_command({{"m.csv", pandas_edge_list(marriages, weights)}},
                    {"fit", "m.csv", "-m", "edges", "--undirected", "--json", "-"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["input"]["network"]["links"], 20);
    EXPECT_EQ(json["input"]["network"]["nodes"], 15);
    EXPECT_EQ(test::warning_codes(json), std::vector<std::string>{"index_column_skipped"});
    EXPECT_NE(r.err.find("The first column of m.csv has no name and holds 0, 1, 2, ...: it is the "
                         "index that pandas writes"),
              std::string::npos)
        << r.err;
  }
  // Read back and written again, pandas calls the column "Unnamed: 0".
  std::string again = pandas_edge_list(marriages, false);
  again.insert(0, "Unnamed: 0");
  const CommandRun r = run_command({{"m.csv", again}}, {"summary", "m.csv", "-m", "edges", "-q"});
  EXPECT_EQ(r.status, exit_ok) << r.err;
  EXPECT_NE(r.err.find("index that pandas writes"), std::string::npos) << r.err;
}

// A header is said whenever it is guessed, naming --header no; with --columns by number a first
// row is judged by the columns read, so networkx's default edge list (a dictionary of data after
// each edge) loses no link.
TEST(FilesAsWritten, AGuessedHeaderIsSaidAndNoLinkIsEaten) {
  // nx.write_edgelist(G, path) of Les Miserables: "u v {'weight': w}", blank-separated.
  const std::string les_miserables =
      "Napoleon Myriel {'weight': 1}\nMlle.Baptistine Myriel {'weight': 8}\n"
      "Mme.Magloire Myriel {'weight': 10}\nMme.Magloire Mlle.Baptistine {'weight': 6}\n"
      "CountessDeLo Myriel {'weight': 1}\n";
  const CommandRun lesmis =
      run_command({{"lesmis.txt", les_miserables}},
                  {"summary", "lesmis.txt", "-m", "edges", "--columns", "1,2", "--json", "-"});
  ASSERT_EQ(lesmis.status, exit_ok) << lesmis.err;
  EXPECT_EQ(test::statistic_value(nlohmann::json::parse(lesmis.out)["statistics"], "edges"), 5);
  EXPECT_EQ(lesmis.err, "");
  // Names over numbers: a header by a guess, said.
  const CommandRun guessed = run_command({{"n.csv", "node_a,node_b\n1,2\n2,3\n3,1\n"}},
                                         {"summary", "n.csv", "-m", "edges", "--json", "-"});
  ASSERT_EQ(guessed.status, exit_ok) << guessed.err;
  EXPECT_EQ(test::statistic_value(nlohmann::json::parse(guessed.out)["statistics"], "edges"), 3);
  EXPECT_NE(guessed.err.find("The first line of n.csv (node_a, node_b) is taken as a header: its "
                             "labels are no numbers while those of the next line are. If it is a "
                             "link, give --header no."),
            std::string::npos)
      << guessed.err;
  // Known column names make a header certain: nothing is said.
  const CommandRun named = run_command({{"n.csv", "source,target\n1,2\n2,3\n"}},
                                       {"summary", "n.csv", "-m", "edges", "-q"});
  EXPECT_EQ(named.err, "");
}

// Integer ids are node numbers (so that files converted from record files keep their isolated
// nodes), but ids 101..105 would make 100 nodes that no file names: refused, with both ways out.
TEST(FilesAsWritten, IntegerIdsThatWouldMakePhantomNodesAreRefused) {
  const Files cycle = {{"ids.csv", "source,target\n101,102\n102,103\n103,104\n104,105\n105,101\n"}};
  const CommandRun refused =
      run_command(cycle, {"fit", "ids.csv", "-m", "edges", "--json", "r.json"});
  EXPECT_EQ(refused.status, exit_bad_input);
  EXPECT_EQ(refused.files, cycle);
  EXPECT_NE(refused.err.find("Network file \"ids.csv\": its ids are read as node numbers (1 to "
                             "105), but 100 of those 105 numbers name no node of a link (1, 2, "
                             "...): they would be isolated nodes of the network. Give --labels to "
                             "read the ids as labels (as networkx does: the nodes are those the "
                             "file names), or --nodes 105 to keep the numbering, isolated nodes "
                             "and all."),
            std::string::npos)
      << refused.err;
  // --labels: five nodes, five links among their 20 dyads.
  const CommandRun labels =
      run_command(cycle, {"fit", "ids.csv", "-m", "edges", "--labels", "--json", "-"});
  ASSERT_EQ(labels.status, exit_ok) << labels.err;
  auto json = nlohmann::json::parse(labels.out);
  EXPECT_EQ(json["input"]["network"]["nodes"], 5);
  EXPECT_NEAR(json["parameters"][0]["estimate"].get<double>(), std::log(5.0 / 15.0), 1e-9);
  EXPECT_EQ(json["nodes"][0]["label"], "101");
  // --nodes 105: the numbering kept on purpose, the isolated nodes said.
  const CommandRun numbered =
      run_command(cycle, {"fit", "ids.csv", "-m", "edges", "--nodes", "105", "--json", "-"});
  ASSERT_EQ(numbered.status, exit_ok) << numbered.err;
  json = nlohmann::json::parse(numbered.out);
  EXPECT_EQ(json["input"]["network"]["nodes"], 105);
  EXPECT_EQ(test::warning_codes(json), std::vector<std::string>{"isolates_declared"});
  // Rows of the attribute table name nodes too: numbers they name are no phantoms.
  std::string attributes = "id,g\n";
  for (int k = 1; k <= 105; ++k)
    attributes += std::to_string(k) + "," + std::to_string(k % 2) + "\n";
  Files with_table = cycle;
  with_table["a.csv"] = attributes;
  const CommandRun declared = run_command(
      with_table, {"fit", "ids.csv", "-m", "edges", "--attributes", "a.csv", "--json", "-"});
  ASSERT_EQ(declared.status, exit_ok) << declared.err;
  EXPECT_EQ(nlohmann::json::parse(declared.out)["input"]["network"]["nodes"], 105);
  // A table's ids that the links write as labels: "101.0" (pandas' integers with a missing value)
  // is 101.
  Files labelled = cycle;
  labelled["a.csv"] = "id,g\n101.0,1\n102.0,2\n103.0,1\n104.0,2\n105.0,1\n";
  const CommandRun floats =
      run_command(labelled, {"fit", "ids.csv", "-m", "edges + nodematch(g)", "--labels",
                             "--attributes", "a.csv", "--json", "-"});
  ASSERT_EQ(floats.status, exit_ok) << floats.err;
  json = nlohmann::json::parse(floats.out);
  EXPECT_EQ(json["input"]["network"]["nodes"], 5);
  EXPECT_EQ(json["parameters"][1]["statistic_observed"], 1);  // 105 -> 101, both of level 1
}

// An attribute table whose ids name hardly any node of the links is refused (a row of
// CommandLine's bad-input table); ids as 1.0 against links as 1 are read right, and half the ids
// naming nodes is enough.
TEST(FilesAsWritten, AnAttributeTableIsReadByTheIdsItShares) {
  // Integer ids written as floats name the numbered nodes.
  const Files floats = {{"n.csv", "1,2\n2,3\n3,4\n4,1\n1,3\n"},
                        {"a.csv", "id,g\n1.0,a\n2.0,b\n3.0,a\n4.0,b\n"}};
  const CommandRun read = run_command(floats, {"fit", "n.csv", "-m", "edges + nodematch(g)",
                                               "--attributes", "a.csv", "--json", "-"});
  ASSERT_EQ(read.status, exit_ok) << read.err;
  const auto json = nlohmann::json::parse(read.out);
  EXPECT_EQ(json["input"]["network"]["nodes"], 4);
  EXPECT_TRUE(test::warning_codes(json).empty());
  EXPECT_EQ(json["parameters"][1]["statistic_observed"], 1);  // 1 -> 3, both a
  // Half the ids naming nodes is enough: the others are isolated nodes, said.
  const Files half = {{"n.csv", "a,b\nb,a\n"}, {"a.csv", "id,g\na,1\nb,1\nc,2\nd,2\n"}};
  const CommandRun isolates =
      run_command(half, {"fit", "n.csv", "-m", "edges", "--attributes", "a.csv", "--json", "-"});
  ASSERT_EQ(isolates.status, exit_ok) << isolates.err;
  EXPECT_EQ(nlohmann::json::parse(isolates.out)["input"]["network"]["nodes"], 4);
}

// R's write.csv(df, row.names=FALSE) quotes every text and writes a missing value as NA: it is a
// missing value, never a level named NA, and a term that needs the value names the node.
TEST(FilesAsWritten, MissingValuesAsRWritesThemAreNoLevel) {
  const Files files = {
      {"w.csv",
       "from,to\nEvelyn Jefferson,Laura Mandeville\nLaura Mandeville,Theresa "
       "Anderson\nTheresa Anderson,Evelyn Jefferson\nBrenda Rogers,Evelyn Jefferson\n"},
      {"a.csv",
       "\"name\",\"age\",\"group\"\n\"Evelyn Jefferson\",50,\"a\"\n\"Laura "
       "Mandeville\",NA,\"b\"\n\"Theresa Anderson\",41,NA\n\"Brenda Rogers\",39,\"a\"\n"}};
  for (const auto& [formula, node] : {std::pair{"edges + nodecov(\"age\")", "Laura Mandeville"},
                                      {"edges + nodematch(group)", "Theresa Anderson"}}) {
    SCOPED_TRACE(formula);
    const CommandRun r = run_command(
        files, {"fit", "w.csv", "-m", formula, "--attributes", "a.csv", "--json", "r.json"});
    EXPECT_EQ(r.status, exit_bad_input);
    EXPECT_EQ(r.files, files);
    EXPECT_NE(r.err.find(std::string("Attribute file \"a.csv\": \"") + node + "\" (node "),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("(no row, an empty cell or NA)"), std::string::npos) << r.err;
  }
  // Blocks: a node with NA is in no block, and said so, as a node without a row.
  const CommandRun blocks =
      run_command(files, {"fit", "w.csv", "-m", "edges,edges@1", "--attributes", "a.csv",
                          "--block-by", "group", "--json", "-"});
  ASSERT_EQ(blocks.status, exit_ok) << blocks.err;
  const auto json = nlohmann::json::parse(blocks.out);
  EXPECT_EQ(json["blocking"]["blocks"], 2);  // a and b; NA is none
  EXPECT_EQ(test::warning_codes(json), std::vector<std::string>{"nodes_without_block"});
}

// networkx writes a node's attributes after its label in a Pajek file: the label stays the
// family's name, so the attribute table names every node, and no phantom nodes are added.
TEST(FilesAsWritten, APajekFileWithNodeAttributesKeepsItsLabels) {
  const Files files = {{"m.net", networkx_pajek(test::florentine_marriages())},
                       {"a.csv", test::example("florentine_attributes.csv")}};
  const CommandRun r = run_command(files, {"fit", "m.net", "-m", "edges + nodecov(wealth)",
                                           "--undirected", "--attributes", "a.csv", "--json", "-"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["input"]["network"]["nodes"], 16);
  EXPECT_EQ(json["input"]["network"]["links"], 20);
  EXPECT_TRUE(test::warning_codes(json).empty()) << r.err;
  EXPECT_EQ(json["nodes"][8]["label"], "Medici");
  // The same fit as from the Pajek file of examples/, which has no attributes.
  const Files plain = {{"m.net", test::example("florentine_marriage.net")},
                       {"a.csv", files.at("a.csv")}};
  const CommandRun expected =
      run_command(plain, {"fit", "m.net", "-m", "edges + nodecov(wealth)", "--undirected",
                          "--attributes", "a.csv", "--json", "-"});
  EXPECT_EQ(nlohmann::json::parse(expected.out)["parameters"], json["parameters"]);
}

// edgecov takes any real values, as the R tool takes any real matrix: from a source,target,value
// list (pandas' index first, as to_csv writes it), a pair without a row being 0.
TEST(FilesAsWritten, AnEdgecovFileOfRealValues) {
  const std::string links = "a,b\nb,c\nc,a\na,c\nd,a\n";
  // Real values of some pairs, of links (a,b c,a a,c d,a) and of pairs without one (b,d b,a).
  const std::string values =
      ",source,target,value\n0,a,b,0.5\n1,c,a,1.25\n2,b,d,-0.75\n3,a,c,2.0\n4,b,a,1.0\n"
      "5,d,a,-0.5\n";
  const Files files = {{"n.csv", links}, {"m.csv", values}};
  const CommandRun summary =
      run_command(files, {"summary", "n.csv", "-m", "edges + edgecov(\"m.csv\")", "--json", "-"});
  ASSERT_EQ(summary.status, exit_ok) << summary.err;
  EXPECT_EQ(test::statistic_value(nlohmann::json::parse(summary.out)["statistics"], "edgecov.m"),
            0.5 + 1.25 + 2.0 - 0.5);
  // Undirected, a pair takes the value of its row with the lower node first.
  const CommandRun undirected = run_command(
      files,
      {"summary", "n.csv", "-m", "edges + edgecov(\"m.csv\")", "--undirected", "--json", "-"});
  ASSERT_EQ(undirected.status, exit_ok) << undirected.err;
  EXPECT_EQ(test::statistic_value(nlohmann::json::parse(undirected.out)["statistics"], "edgecov.m"),
            0.5 + 2.0 - 0.5);  // {a,b} {a,c} {a,d}
  EXPECT_NE(undirected.err.find("2 pairs of m.csv are given both ways with different values (a,b "
                                "is 0.5, b,a is 1, for one)"),
            std::string::npos)
      << undirected.err;
}

}  // namespace
}  // namespace tarn
