// Attribute tables: category numbers for integer and text columns, ids as the network names its
// nodes, and the same blocks as a record-format attribute file.
#include "network/attribute_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    Texts categories;
  } cases[] = {
      {"whole numbers 1..32767 kept",
       {"3", "1", "5", "3"},
       {3, 1, 5, 3},
       {"1", "2", "3", "4", "5"}},
      {"kept numbers written otherwise",
       {"07", "7.0", "+2", ""},
       {7, 7, 2, 0},
       {"1", "2", "3", "4", "5", "6", "7"}},
      {"text sorted in byte order", {"b", "a", "c", "a"}, {2, 1, 3, 1}, {"a", "b", "c"}},
      {"byte order: upper case first", {"b", "B", "a", ""}, {3, 1, 2, 0}, {"B", "a", "b"}},
      {"numbers with 0 and negatives sorted as numbers",
       {"0", "-2", "10", "0"},
       {2, 1, 3, 2},
       {"-2", "0", "10"}},
      {"numbers past 32767 sorted as numbers",
       {"40000", "1", "9", "40000"},
       {3, 1, 2, 3},
       {"1", "9", "40000"}},
      {"numbers and text sorted as text", {"10", "9", "x", ""}, {1, 2, 3, 0}, {"10", "9", "x"}},
      {"empty cells only", {"", "", "", ""}, {0, 0, 0, 0}, {}},
  };
  for (const auto& c : cases) {
    std::string text = "id,a\n";
    for (int k = 0; k < 4; ++k) text += std::to_string(k + 1) + "," + c.values[k] + "\n";
    const AttributeTable table = read(text, 4);
    for (int node = 1; node <= 4; ++node)
      EXPECT_EQ(table.attributes.of(node, 1), c.expect[node - 1]) << c.what;
    ASSERT_EQ(table.categories.size(), 1u);
    EXPECT_EQ(table.categories[0], c.categories) << c.what;
    EXPECT_EQ(table.attributes.largest[0], static_cast<int>(c.categories.size())) << c.what;
  }
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
  EXPECT_EQ(table.categories[2], (Texts{"x", "y"}));
}

TEST(AttributeTable, SameBlocksAsTheRecordFormatFile) {
  DataFile file(std::make_unique<std::ifstream>(test::repository_file("examples/attributes.dat")),
                name_field("attributes.dat"));
  const NodeAttributes expected = read_attribute_file(file, 4);
  std::ifstream in(test::repository_file("examples/attributes.dat"));
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

}  // namespace
}  // namespace tarn
