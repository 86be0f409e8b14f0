// Edge lists: which labels keep their numbers, the order of first appearance, and headers.
#include "network/edge_list_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "network/fatal_error.h"
#include "support/networks.h"

namespace tarn {
namespace {

using test::links_of;
using Links = std::vector<std::pair<int, int>>;
using Labels = std::vector<std::string>;

LabelledNetwork read(const std::string& text, NetworkFormat format = NetworkFormat::csv,
                     HeaderRule header = HeaderRule::detect) {
  std::istringstream in(text);
  return read_edge_list(in, "net.csv", format, header);
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
      {"a value that is no number", "i j w\n1 2 1\n", blank, detect, {"i", "j", "w"}, 1},
      {"names over numbers",
       "from_node,to_node\n1,2\n2,1\n",
       csv,
       detect,
       {"from_node", "to_node"},
       2},
      {"names over names: data", "a,b\nc,d\n", csv, detect, {}, 2},
      {"numbers: data", "1,2\n3,4\n", csv, detect, {}, 2},
      {"names, a number value, over names: data", "x,y,1\nz,w,1\n", csv, detect, {}, 2},
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

// A header's names place the columns; --columns names them otherwise.
TEST(EdgeList, ColumnsPlacedByTheHeaderOrTheOption) {
  const struct {
    const char* what;
    std::string text;
    std::vector<std::string> columns;
    Labels labels;  // in order of first appearance: the first row's sender comes first
    Links links;
  } cases[] = {
      {"target before source", "target,source\na,b\nc,b\n", {}, {"b", "a", "c"}, {{1, 2}, {1, 3}}},
      {"the weight first", "weight,source,target\n2,a,b\n0,b,a\n", {}, {"a", "b"}, {{1, 2}}},
      {"names in any case, more columns",
       "Kind,TO,From,Value\nx,a,b,1\ny,b,c,0\n",
       {},
       {"b", "a", "c"},
       {{1, 2}}},
      {"one name of two", "alter,name\na,b\n", {}, {"b", "a"}, {{1, 2}}},
      {"an unknown header of two columns, in order", "id_a,id_b\n1,2\n", {}, {}, {{1, 2}}},
      {"--columns by number", "a,b,c\n1,x,y\n", {"3", "2"}, {"y", "x"}, {{1, 2}}},
      {"--columns by name, a value",
       "p,q,r\nx,y,0\nz,x,1\n",
       {"p", "q", "r"},
       {"x", "y", "z"},
       {{3, 1}}},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    EdgeListOptions options;
    options.columns = c.columns;
    const LabelledNetwork got = read_edge_list(in, "net.csv", NetworkFormat::csv, options);
    if (!c.labels.empty()) {
      EXPECT_EQ(labels_of(got), c.labels) << c.what;
    }
    EXPECT_EQ(links_of(got.network), c.links) << c.what;
  }
}

// What the reader notices is said as warnings with their figures.
TEST(EdgeList, WeightsAHeaderReadAsALinkAndDeclaredNodesAreNoticed) {
  std::istringstream weights("a,b,2.7\nb,a,1\nb,c,3\nc,a,0\n");
  const LabelledNetwork weighted = read_edge_list(weights, "w.csv", NetworkFormat::csv);
  EXPECT_EQ(weighted.network.link_count, 3);
  ASSERT_EQ(weighted.warnings.size(), 2u);
  EXPECT_EQ(weighted.warnings[0].code, "zero_value_rows");
  EXPECT_EQ(weighted.warnings[0].count("rows"), 1);
  EXPECT_EQ(weighted.warnings[1].code, "weights_read_as_ties");
  EXPECT_EQ(weighted.warnings[1].count("links"), 2);
  EXPECT_EQ(weighted.warnings[1].text("example"), "2.7");

  // A first row whose labels occur nowhere else: taken for a header only after many rows of
  // labels, and said either way.
  std::string families = "family1,family2\n";
  for (int k = 1; k <= 11; ++k)
    families += "f" + std::to_string(k) + ",f" + std::to_string(k + 1) + "\n";
  for (const auto& [rows, code, nodes, last] :
       {std::tuple{3, "header_read_as_link", 5, "f3"}, {12, "header_guessed", 12, "f12"}}) {
    std::string text;
    std::istringstream all(families);
    std::string line;
    for (int k = 0; k < rows && std::getline(all, line); ++k) text += line + "\n";
    std::istringstream in(text);
    const LabelledNetwork got = read_edge_list(in, "m.csv", NetworkFormat::csv);
    ASSERT_EQ(got.warnings.size(), 1u) << code;
    EXPECT_EQ(got.warnings[0].code, code);
    EXPECT_EQ(got.warnings[0].text("sender"), "family1");
    EXPECT_EQ(got.network.node_count, nodes) << code;
    EXPECT_EQ(got.labels.name(nodes), last);
  }
  std::istringstream linked("a,b\nb,c\n");
  EXPECT_TRUE(read_edge_list(linked, "l.csv", NetworkFormat::csv).warnings.empty());

  std::istringstream numbers("# a comment\n1,2\n2,3\n");
  EdgeListOptions options;
  options.node_count = 6;
  const LabelledNetwork declared = read_edge_list(numbers, "n.csv", NetworkFormat::csv, options);
  EXPECT_EQ(declared.network.node_count, 6);
  EXPECT_EQ(declared.network.link_count, 2);
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
