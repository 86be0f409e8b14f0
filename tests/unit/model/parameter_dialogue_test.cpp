#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "input/io.h"
#include "model/select.h"
#include "model/unblocked_nodes.h"
#include "store/records.h"

namespace tarn::testing {
namespace {

using Ints = std::vector<int>;

// A model dialogue driven from a string of answers; the records start zero-filled.
struct Session {
  explicit Session(const std::string& answers, int blocks = 0, int block_types = 1)
      : in(answers), io(in, out), rec_ptr(std::make_unique<Records>()), rec(*rec_ptr) {
    if (blocks == 0) return;  // else start from a blocking settled earlier
    rec.blocks.block_attr = 1;
    rec.blocks.block_count = static_cast<int16>(blocks);
    rec.blocks.block_type_count = static_cast<int16>(block_types);
  }
  Ints columns() const {
    Ints list;
    for (int p = 1; p <= rec.stats.param_count; ++p) list.push_back(rec.stats.param_column(p));
    return list;
  }
  Ints types_on() const {
    Ints list;
    for (int t = 2; t <= 16; ++t)
      if (rec.flags.type_on(t) == 1) list.push_back(t);
    return list;
  }
  int occurrences(const std::string& part) const {
    const std::string text = out.str();
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }
  std::istringstream in;
  std::ostringstream out;
  Io io;
  std::unique_ptr<Records> rec_ptr;
  Records& rec;
};

std::string repeated(const std::string& item, int times) {
  std::string text;
  while (times-- > 0) text += item;
  return text;
}

TEST(ParameterList, ColumnsTypesAndDerivedSwitches) {
  struct Case {
    std::string answers;
    int blocks;  // 0: no blocking
    Ints columns, types;
    int triad_out_only;
  };
  const Case cases[] = {
      {"1\n13\n", 0, {13}, {2, 6, 7, 13}, 0},
      {"1\n15\n", 0, {15}, {2, 6, 15}, 1},
      {"2\n6 15\n", 0, {6, 15}, {2, 6, 15}, 0},
      {"2\n15 11\n", 0, {15, 11}, {2, 6, 11, 15}, 0},
      {"1\n8\n", 0, {8}, {2, 8}, 0},
      {"1\n1\n", 0, {1}, {}, 0},
      {"4\n3 5 0 7\n", 0, {3, 5}, {2, 3, 5}, 0},  // 0 ends the list
      {"4\n17 -4 2 116\n", 0, {2}, {2}, 0},       // types outside 1..16 dropped
      {"65\n-1\n1\n2\n", 0, {2}, {2}, 0},         // counts outside 0..64 asked again
      {"4\n116 100 4 -101\n", 3, {4}, {4}, 0},
      {"0\n\n2\n0 5\n1\n2\n", 3, {2}, {2}, 0},  // count 0 still takes its line
      {"2\n113 1\n", 2, {17, 1}, {2, 6, 7, 13}, 0},
  };
  for (const Case& c : cases) {
    Session s(c.answers, c.blocks);
    select(s.rec, s.io);
    EXPECT_EQ(s.columns(), c.columns) << c.answers;
    EXPECT_EQ(s.types_on(), c.types) << c.answers;
    EXPECT_EQ(s.rec.triad_out_only(), c.triad_out_only) << c.answers;
  }
}

TEST(ParameterList, SixtyFourFitAndEveryCallStartsAfresh) {
  Session s("64\n" + repeated("1 ", 64) + "\n1\n4\n");
  select(s.rec, s.io);
  EXPECT_EQ(s.rec.stats.param_count, 64);
  select(s.rec, s.io);
  EXPECT_EQ(s.columns(), (Ints{4}));
  EXPECT_EQ(s.types_on(), (Ints{4}));
  EXPECT_EQ(s.rec.stats.param_column(2), 0);
}

// Blocking with a 3-block structure of 3 block types.
void three_types(Session& s) {
  const int rows[3][3] = {{1, 2, 0}, {0, 3, 0}, {0, 0, 1}};
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) s.rec.blocks.block_type(r, c) = int16(rows[r - 1][c - 1]);
  select(s.rec, s.io);
}

TEST(GroupDialogue, TypesCountsAndBlockTypesOutsideTheirRangesAreAskedAgain) {
  Session s("0\n16 1\n2 4\n-3 1\n3 0\n3 -2\n3 2\n0 1\n4 1\n-1 2\n2 2\n0 0\n", 3, 3);
  three_types(s);
  EXPECT_EQ(s.occurrences(" too large. Try again...\n"), 2);
  EXPECT_EQ(s.occurrences(" too small. Try again...\n"), 3);
  EXPECT_EQ(s.occurrences(" does not exist; use 1 to 3. Try again...\n"), 3);
  EXPECT_EQ(s.columns(), (Ints{18, 18}));
  EXPECT_EQ(s.types_on(), (Ints{3}));
}

TEST(GroupDialogue, AGroupThatWouldPassSixtyFourParametersIsRefused) {
  Session s("63\n" + repeated("1 ", 63) + "\n1 2\n1 1\n3\n0 0\n", 3, 3);
  three_types(s);
  EXPECT_EQ(s.occurrences(" Too many parameters! Maximum is 64. Try again...\n"), 1);
  ASSERT_EQ(s.rec.stats.param_count, 64);
  EXPECT_EQ(s.rec.stats.param_column(64), 19);
}

TEST(GroupDialogue, EndsByItselfAfterFifteenGroups) {
  std::string answers = "0\n";
  for (int g = 1; g <= 15; ++g) answers += std::to_string(g) + " 2\n";
  Session s(answers + "left over\n", 2, 2);
  select(s.rec, s.io);
  EXPECT_EQ(s.occurrences(" Parameter, number of Blocks: "), 15);
  ASSERT_EQ(s.rec.stats.param_count, 30);
  EXPECT_EQ(s.rec.stats.param_column(30), 16 + 2 * 14 + 2);
  EXPECT_EQ(s.rec.blocks.group_type(15), 15);
  std::string rest;
  std::getline(s.in, rest);
  EXPECT_EQ(rest, "left over");
}

TEST(UnblockedNodes, CountsOnlyNodesOneToN) {
  Session s("", 2);
  s.rec.nodes.node_count = 2;
  s.rec.nodes.attr_value(1, 1) = 1;
  s.rec.nodes.attr_value(2, 1) = 2;
  EXPECT_EQ(count_unblocked_nodes(s.rec), 0);  // node 3 (above n) has value 0
  s.rec.nodes.attr_value(2, 1) = 3;
  EXPECT_EQ(count_unblocked_nodes(s.rec), 1);
  s.rec.blocks.block_attr = 0;
  EXPECT_EQ(count_unblocked_nodes(s.rec), 0);
}

}  // namespace
}  // namespace tarn::testing
