// Attribute tables: category numbers for integer and text columns, ids as the network names its
// nodes, and the same blocks as a record-format attribute file.
#include "network/attribute_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "network/attribute_file.h"
#include "network/data_file.h"
#include "network/file_name.h"
#include "support/repository.h"

namespace tarn {
namespace {

using Texts = std::vector<std::string>;

AttributeTable read(const std::string& text, int n, const NodeLabels& labels = {},
                    NetworkFormat format = NetworkFormat::csv) {
  std::istringstream in(text);
  return read_attribute_table(in, "attr.csv", format, labels, n);
}

TEST(AttributeTable, CategoryNumbersOfAColumn) {
  const struct {
    const char* what;
    Texts values;             // of nodes 1..4; "" is an empty cell
    std::vector<int> expect;  // category of nodes 1..4
    int largest;              // the number of categories
  } cases[] = {
      {"whole numbers 1..32767 kept", {"3", "1", "5", "3"}, {3, 1, 5, 3}, 5},
      {"kept numbers written otherwise", {"07", "7.0", "+2", ""}, {7, 7, 2, 0}, 7},
      {"text sorted in byte order", {"b", "a", "c", "a"}, {2, 1, 3, 1}, 3},
      {"byte order: upper case first", {"b", "B", "a", ""}, {3, 1, 2, 0}, 3},
      {"numbers with negatives sorted as numbers", {"-5", "-2", "10", "-2"}, {1, 2, 3, 2}, 3},
      {"0 is no category, negatives sorted as numbers", {"0", "-2", "10", "0"}, {0, 1, 2, 0}, 2},
      {"0 is no category, numbers kept", {"0", "3", "1", ""}, {0, 3, 1, 0}, 3},
      {"0 written otherwise is no category", {"0.0", "-0", "2", "+0"}, {0, 0, 2, 0}, 2},
      {"0 is no category among text", {"0", "b", "a", ""}, {0, 2, 1, 0}, 2},
      {"numbers past 32767 sorted as numbers", {"40000", "1", "9", "40000"}, {3, 1, 2, 3}, 3},
      {"numbers and text sorted as text", {"10", "9", "x", ""}, {1, 2, 3, 0}, 3},
      {"empty cells only", {"", "", "", ""}, {0, 0, 0, 0}, 0},
      {"NA, NaN and nan are missing values, no level", {"NA", "b", "NaN", "nan"}, {0, 1, 0, 0}, 1},
      {"zeros only", {"0", "0", "", "0"}, {0, 0, 0, 0}, 0},
  };
  for (const auto& c : cases) {
    std::string text = "id,a\n";
    for (int k = 0; k < 4; ++k) text += std::to_string(k + 1) + "," + c.values[k] + "\n";
    const AttributeTable table = read(text, 4);
    for (int node = 1; node <= 4; ++node)
      EXPECT_EQ(table.attributes.of(node, 1), c.expect[node - 1]) << c.what;
    EXPECT_EQ(table.attributes.largest[0], c.largest) << c.what;
  }
}

// Missing values are empty for the terms; 0 is a value for them.
TEST(AttributeTable, MissingValuesAreEmptyAndZeroIsAValueForTheTerms) {
  const AttributeTable table = read("id,a\n1,NA\n2,0\n3,\n4.0,nan\n", 4);
  EXPECT_EQ(table.covariates.columns[0].value, (Texts{"", "0", "", ""}));
  EXPECT_EQ(table.nodes_without_row, 0);  // "4.0" is node 4
}

TEST(AttributeTable, NamesCountsAndUsableAttributes) {
  const NodeLabels names({"ann", "bob", "cy", "dee"});
  const AttributeTable table = read(
      "name,level,note,dept\n"
      "cy,2,,x\n"
      "zed,9,,y\n"
      "ann,1,,\"y\"\n"
      "bob,3,,x\n",
      4, names);
  EXPECT_EQ(table.names, (Texts{"level", "note", "dept"}));
  EXPECT_EQ(table.nodes_without_row, 1);    // dee
  EXPECT_EQ(table.rows_not_in_network, 1);  // zed, whose 9 counts nowhere
  EXPECT_EQ(table.attributes.largest[0], 3);
  EXPECT_EQ(table.attributes.largest[1], 0);
  EXPECT_EQ(table.attributes.largest[2], 2);
  EXPECT_EQ(table.attributes.usable_count, 1);  // the empty second column ends the usable ones
  EXPECT_EQ(table.attributes.of(3, 1), 2);
  EXPECT_EQ(table.attributes.of(4, 1), 0);
  EXPECT_EQ(table.attributes.of(1, 3), 2);
  EXPECT_EQ(table.attributes.of(2, 3), 1);  // x before y
  EXPECT_EQ(table.attributes.of(3, 3), 1);
}

// The example file as it is, and with node 1's level 0 (no category in the record file: the
// table must not renumber the other levels for it).
TEST(AttributeTable, SameBlocksAsTheRecordFormatFile) {
  std::ifstream example(test::repository_file("examples/attributes.dat"));
  const std::string original{std::istreambuf_iterator<char>(example), {}};
  std::string level_0 = original;
  const std::string node_1 = "    1  3  5  2  3\n";
  ASSERT_NE(level_0.find(node_1), std::string::npos);
  level_0.replace(level_0.find(node_1), node_1.size(), "    1  0  5  2  3\n");
  for (const std::string& dat : {original, level_0}) {
    DataFile file(std::make_unique<std::istringstream>(dat), name_field("attributes.dat"));
    const NodeAttributes expected = read_attribute_file(file, 4);
    std::istringstream in(dat);
    std::string line;
    std::getline(in, line);
    std::string csv = "id,level,dept,age,tenure\n", blank = "id level dept age tenure\n";
    for (int id, a, b, c, d; in >> id >> a >> b >> c >> d;) {
      csv += std::to_string(id) + "," + std::to_string(a) + "," + std::to_string(b) + "," +
             std::to_string(c) + "," + std::to_string(d) + "\n";
      blank += std::to_string(id) + "  " + std::to_string(a) + " " + std::to_string(b) + " " +
               std::to_string(c) + "\t" + std::to_string(d) + "\n";
    }
    for (const auto& [format, text] :
         {std::pair{NetworkFormat::csv, csv}, std::pair{NetworkFormat::blank, blank}}) {
      const AttributeTable table = read(text, 21, {}, format);
      EXPECT_EQ(table.attributes.value, expected.value);
      EXPECT_EQ(table.attributes.largest, expected.largest);
      EXPECT_EQ(table.attributes.usable_count, expected.usable_count);
      EXPECT_EQ(table.nodes_without_row, 0);
    }
  }
}

}  // namespace
}  // namespace tarn
