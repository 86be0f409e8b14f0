// Edge lists: which labels keep their numbers, the order of first appearance, and headers.
#include "network/edge_list_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "network/fatal_error.h"

namespace tarn {
namespace {

using Links = std::vector<std::pair<int, int>>;
using Labels = std::vector<std::string>;

LabelledNetwork read(const std::string& text, NetworkFormat format = NetworkFormat::csv,
                     HeaderRule header = HeaderRule::detect) {
  std::istringstream in(text);
  return read_edge_list(in, "net.csv", format, header);
}

// The links in the order of the store: by sender, file order within a sender.
Links links_of(const Network& net) {
  Links links;
  for (int i = 1; i <= net.node_count; ++i) {
    for (const int16 j : net.out_list(i)) links.emplace_back(i, std::abs(j));
  }
  return links;
}

Labels labels_of(const LabelledNetwork& read_in) {
  Labels labels;
  if (read_in.labels.numbered()) return labels;
  for (int k = 1; k <= read_in.labels.size(); ++k) labels.push_back(read_in.labels.name(k));
  return labels;
}

TEST(EdgeList, NumbersKeptOrLabelsNumberedByFirstAppearance) {
  const struct {
    const char* what;
    std::string text;
    Labels labels;  // empty: the nodes keep their numbers
    int n;
    Links links;
  } cases[] = {
      {"names",
       "alice,bob\nbob,carol\ncarol,alice\nbob,alice\n",
       {"alice", "bob", "carol"},
       3,
       {{1, 2}, {2, 3}, {2, 1}, {3, 1}}},
      {"numbers within 1..2000 keep their numbers, sorted by sender",
       "5,3\n3,5\n2000,3\n",
       {},
       2000,
       {{3, 5}, {5, 3}, {2000, 3}}},
      {"a number past 2000 makes every label a name",
       "10,2000\n2001,3\n",
       {"10", "2000", "2001", "3"},
       4,
       {{1, 2}, {3, 4}}},
      {"a leading zero makes every label a name",
       "1,2\n01,3\n",
       {"1", "2", "01", "3"},
       4,
       {{1, 2}, {3, 4}}},
      {"zero, a sign, a point: names",
       "0,1\n+2,1.0\n",
       {"0", "1", "+2", "1.0"},
       4,
       {{1, 2}, {3, 4}}},
      {"a row of value 0 names its nodes, numbered", "1,2,1\n4,1,0\n", {}, 4, {{1, 2}}},
      {"a row of value 0 names its nodes, labelled",
       "b,a,0\na,c,2\n",
       {"b", "a", "c"},
       3,
       {{2, 3}}},
      {"links given twice and self-links kept",
       "x,x\ny,x\nx,x\n",
       {"x", "y"},
       2,
       {{1, 1}, {1, 1}, {2, 1}}},
      {"a name found again after it was numbered",
       "3,1\nz,3\n1,z\n",
       {"3", "1", "z"},
       3,
       {{1, 2}, {2, 3}, {3, 1}}},
      {"labels with blanks and commas, quoted",
       "\"Smith, J\",\"de la Cruz\"\n",
       {"Smith, J", "de la Cruz"},
       2,
       {{1, 2}}},
      {"UTF-8 labels", "Zoë,Łukasz\n", {"Zoë", "Łukasz"}, 2, {{1, 2}}},
  };
  for (const auto& c : cases) {
    const LabelledNetwork got = read(c.text);
    EXPECT_EQ(labels_of(got), c.labels) << c.what;
    EXPECT_EQ(got.network.node_count, c.n) << c.what;
    EXPECT_EQ(links_of(got.network), c.links) << c.what;
    if (!c.labels.empty()) {
      EXPECT_EQ(got.labels.node_of(c.labels.back()), c.n) << c.what;
    }
  }
}

TEST(EdgeList, HeaderDetectedOrAsTold) {
  constexpr auto csv = NetworkFormat::csv, tsv = NetworkFormat::tsv, blank = NetworkFormat::blank;
  constexpr auto detect = HeaderRule::detect;
  const struct {
    const char* what;
    std::string text;
    NetworkFormat format;
    HeaderRule rule;
    Labels header;
    int links;
  } cases[] = {
      {"a header word", "source,target\na,b\n", csv, detect, {"source", "target"}, 1},
      {"header words in any case", "Ego\tALTER\n1\t2\n", tsv, detect, {"Ego", "ALTER"}, 1},
      {"a value that is no number", "a b w\n1 2 1\n", blank, detect, {"a", "b", "w"}, 1},
      {"names over numbers",
       "from_node,to_node\n1,2\n2,1\n",
       csv,
       detect,
       {"from_node", "to_node"},
       2},
      {"names over names: data", "a,b\nc,d\n", csv, detect, {}, 2},
      {"numbers: data", "1,2\n3,4\n", csv, detect, {}, 2},
      {"names, a number value, over names: data", "x,y,1\nz,w,1\n", csv, detect, {}, 2},
      {"names, a number value, over numbers", "x,y,1\n1,2,1\n", csv, detect, {"x", "y", "1"}, 1},
      {"one row of names: data", "x,y\n", csv, detect, {}, 1},
      {"present", "1,2\n3,4\n", csv, HeaderRule::present, {"1", "2"}, 1},
      {"absent", "source,target\nsource,x\n", csv, HeaderRule::absent, {}, 2},
      {"quoted header", "\"i\",\"j\"\r\n1,2\r\n", csv, detect, {"i", "j"}, 1},
  };
  for (const auto& c : cases) {
    const LabelledNetwork got = read(c.text, c.format, c.rule);
    EXPECT_EQ(got.header, c.header) << c.what;
    EXPECT_EQ(got.network.link_count, c.links) << c.what;
  }
}

TEST(EdgeList, TooManyReciprocatedLinksNameTheFileAndNoLine) {
  std::string text = "1,2\n";
  for (int k = 0; k < 20000; ++k) text += "2,1\n";
  text += "2,3\n";
  for (int k = 0; k < 20000; ++k) text += "3,2\n";
  try {
    read(text);
    ADD_FAILURE() << "accepted";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Input error in \"net.csv\": node 2 has more than 32767 reciprocated links (links "
              "given repeatedly?).");
  }
}

// The labels an edge list keeps as numbers are the names node_of reads as numbers, and no others.
TEST(NodeLabels, NumberedNodesAreNamedByPlainNumbersOnly) {
  const NodeLabels numbered;
  for (const char* name : {"1", "7", "2000"}) {
    EXPECT_EQ(numbered.node_of(name), std::stoi(name)) << name;
    EXPECT_TRUE(read(std::string(name) + ",1\n").labels.numbered()) << name;
  }
  for (const char* name : {"07", "+7", "7.0", "0", "2001", "-1", " 7", "x"}) {
    EXPECT_EQ(numbered.node_of(name), 0) << name;
    EXPECT_EQ(node_number(name), 0) << name;
    EXPECT_FALSE(read("\"" + std::string(name) + "\",1\n").labels.numbered()) << name;
  }
  const NodeLabels labelled({"07", "b", "07"});
  EXPECT_EQ(labelled.node_of("07"), 1);  // the first of equal labels
  EXPECT_EQ(labelled.node_of("7"), 0);
  EXPECT_EQ(labelled.node_of("2"), 0);
}

}  // namespace
}  // namespace tarn
