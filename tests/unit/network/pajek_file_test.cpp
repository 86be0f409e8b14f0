// Pajek files: the sections, edges both ways, lists, weights and labels.
#include "network/pajek_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/networks.h"

namespace tarn {
namespace {

using Links = std::vector<std::pair<int, int>>;
using Labels = std::vector<std::string>;

TEST(PajekFile, SectionsWeightsAndLabels) {
  const struct {
    const char* what;
    std::string text;
    int n;
    Links links;    // in the order of the store
    Labels labels;  // empty: numbered
  } cases[] = {
      {"arcs; declared vertices without links count",
       "*Vertices 5\n*Arcs\n2 1\n1 3\n",
       5,
       {{1, 3}, {2, 1}},
       {}},
      {"edges both ways, a loop once",
       "*Vertices 3\n*Edges\n1 2\n3 3\n2 3\n",
       3,
       {{1, 2}, {2, 1}, {2, 3}, {3, 3}, {3, 2}},
       {}},
      {"arcs list and edges list",
       "*Vertices 4\n*Arcslist\n1 2 3\n*Edgeslist\n4 1 2\n",
       4,
       {{1, 2}, {1, 3}, {1, 4}, {2, 4}, {4, 1}, {4, 2}},
       {}},
      {"weights: 0 drops the arc, more fields ignored",
       "*Vertices 2\n*Arcs\n1 2 0\n2 1 3 c Blue\n",
       2,
       {{2, 1}},
       {}},
      {"keywords in any case, comments, title, CRLF",
       "% a comment\r\n*network t\r\n*VERTICES 2\r\n%\r\n*arcs :1 \"advice\"\r\n1 2\r\n",
       2,
       {{1, 2}},
       {}},
      {"labels, some vertices without one, the rest of the line ignored",
       "*Vertices 3\n1 \"Ann Lee\" 0.1 0.2 0.0 ic Red\n3 Carl\n*Arcs\n3 1\n",
       3,
       {{3, 1}},
       {"Ann Lee", "2", "Carl"}},
      {"sections repeated",
       "*Vertices 3\n*Arcs\n2 1\n*Edges\n1 3\n*Arcs\n1 2\n",
       3,
       {{1, 3}, {1, 2}, {2, 1}, {3, 1}},
       {}},
      {"labels with quotes inside, as networkx writes them",
       "*Vertices 3\n1 \"Carl \"C\" D\"\n2 \"Ann \"Bee\"\" 0.5 0.5 ellipse\n3 \"x y\" 1 "
       "2\n*Arcs\n1 2\n",
       3,
       {{1, 2}},
       {"Carl \"C\" D", "Ann \"Bee\"", "x y"}},
      {"networkx's write_pajek with a node attribute: the label is the field after the number",
       "*vertices 3\n1 0 0.0 0.0 ellipse club \"Mr. Hi\"\n2 1 0.0 0.0 ellipse club Officer\n"
       "3 \"Carl \"C\" D\" 0.0 0.0 ellipse club \"Mr. Hi\"\n*arcs\n1 2 1.0\n3 1 4\n",
       3,
       {{1, 2}, {3, 1}},
       {"0", "1", "Carl \"C\" D"}},
      {"real weights are arcs", "*Vertices 2\n*Arcs\n1 2 2.7\n2 1 0.0\n", 2, {{1, 2}}, {}},
      {"no vertex", "*Vertices 0\n", 0, {}, {}},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    const LabelledNetwork got = read_pajek(in, "net.net");
    EXPECT_EQ(got.network.node_count, c.n) << c.what;
    EXPECT_EQ(test::links_of(got.network), c.links) << c.what;
    Labels labels;
    for (int k = 1; k <= got.labels.size(); ++k) labels.push_back(got.labels.name(k));
    EXPECT_EQ(labels, c.labels) << c.what;
  }
}

TEST(PajekFile, EdgesAndWeightsAreNoticed) {
  std::istringstream in("*Vertices 3\n*Edges\n1 2 2.5\n2 3 4\n*Arcs\n3 1 1\n");
  const LabelledNetwork got = read_pajek(in, "net.net");
  std::vector<std::string> codes;
  for (const Warning& w : got.warnings) codes.push_back(w.code);
  EXPECT_EQ(codes, (std::vector<std::string>{"weights_read_as_ties", "looks_undirected"}));
  EXPECT_EQ(got.warnings[0].count("links"), 4);  // each edge is two arcs
  EXPECT_EQ(got.warnings[0].text("example"), "2.5");
}

}  // namespace
}  // namespace tarn
