// Missing dyads as the readers take them: an edge list's value NA or empty value (which never
// makes a first row a header), nodes named by labels or numbers, and the sorted list of dyads
// they become (an undirected pair once, whichever way round; self-pairs only as dyads).
#include "network/missing_dyads.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "network/edge_list_file.h"
#include "network/fatal_error.h"

namespace tarn {
namespace {

using Dyads = std::vector<std::pair<int, int>>;

LabelledNetwork read(const std::string& text, bool labels = false) {
  std::istringstream in(text);
  EdgeListOptions options;
  options.labels = labels;
  return read_edge_list(in, "net.csv", NetworkFormat::csv, options);
}

Dyads settled(const LabelledNetwork& net, bool directed, bool diagonal = false) {
  const std::vector<MissingRows> given = {{"net.csv", net.missing}};
  return settle_missing_dyads(net.network, given, directed, diagonal, net.labels);
}

TEST(MissingDyads, AFirstRowOfValueNaIsNoHeader) {
  const LabelledNetwork net = read("1,2,NA\n2,3,1\n3,1,\n");
  EXPECT_TRUE(net.header.empty());
  EXPECT_EQ(net.network.link_count, 1);
  EXPECT_EQ(net.network.node_count, 3);
  ASSERT_EQ(net.missing.size(), 2u);
  EXPECT_EQ(net.missing[0].line, 1);
  EXPECT_EQ(net.missing[1].line, 3);
  EXPECT_EQ(settled(net, true), (Dyads{{1, 2}, {3, 1}}));
}

TEST(MissingDyads, LabelsNameTheNodesOfTheRowsAsOfTheLinks) {
  // Nodes by first appearance: x 1, y 2, z 3, w 4 (named by an NA row only).
  const LabelledNetwork net = read("from,to,value\nx,y,1\nz,x,NA\ny,w,\nz,y,0\n", true);
  EXPECT_EQ(net.network.node_count, 4);
  EXPECT_EQ(settled(net, true), (Dyads{{2, 4}, {3, 1}}));
}

TEST(MissingDyads, AnUndirectedPairIsOneDyadAndSelfPairsAreNoDyads) {
  const LabelledNetwork net = read("1,2,1\n3,1,NA\n1,3,NA\n2,2,NA\n4,3,\n");
  EXPECT_EQ(settled(net, false), (Dyads{{1, 3}, {3, 4}}));
  EXPECT_EQ(settled(net, true), (Dyads{{1, 3}, {3, 1}, {4, 3}}));
  EXPECT_EQ(settled(net, true, true), (Dyads{{1, 3}, {2, 2}, {3, 1}, {4, 3}}));
  EXPECT_TRUE(is_missing_dyad(settled(net, false), 3, 1, false));
  EXPECT_FALSE(is_missing_dyad(settled(net, true), 2, 1, true));
}

TEST(MissingDyads, AListNamesTheNetworksNodesAndRefusesOthers) {
  const LabelledNetwork net = read("a,b,1\nb,c,1\n", true);
  std::istringstream list("c,a\nb,a\n");
  const std::vector<MissingRow> rows =
      read_missing_list(list, "m.csv", NetworkFormat::csv, net.labels, 3, HeaderRule::detect);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].sender, 3);
  EXPECT_EQ(rows[0].receiver, 1);
  EXPECT_EQ(rows[1].line, 2);
  std::istringstream bad("c,a\nd,a\n");
  try {
    read_missing_list(bad, "m.csv", NetworkFormat::csv, net.labels, 3, HeaderRule::detect);
    FAIL() << "no error";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("m.csv\", line 2, column 1: \"d\" is no node"),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace tarn
