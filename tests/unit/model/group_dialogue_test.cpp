#include <gtest/gtest.h>

#include "unit/model/model_session.h"

namespace tarn::testing {
namespace {

using Columns = std::vector<int>;

const std::string ask_pair = " Parameter, number of Blocks: ";
const std::string column_limit =
    " Not enough memory for any more parameters! \n Enter 0 0 to continue...\n";

// Blocking with a 3-block structure of 3 block types.
void three_types(Session& s) {
  s.preset_blocking(3, 3);
  const int rows[3][3] = {{1, 2, 0}, {0, 3, 0}, {0, 0, 1}};
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 3; ++c)
      s.rec.blocks.block_type(r, c) = static_cast<int16>(rows[r - 1][c - 1]);
  }
}

const std::string three_types_structure =
    "\n Block structure:\n"
    "  1  2  0\n"
    "  0  3  0\n"
    "  0  0  1\n"
    " Select parameter and number of blocks. 0 0 to quit.\n";
const std::string three_types_head =
    menu_text + "\n How many global parameters? " + three_types_structure;

TEST(GroupDialogue, AllBlockTypesAreTakenWithoutAsking) {
  Session s("0\n4 3\n0 0\n");
  three_types(s);
  s.run();
  EXPECT_EQ(s.screen(), three_types_head + ask_pair + ask_pair);
  EXPECT_EQ(s.columns(), (Columns{17, 18, 19}));
  EXPECT_EQ(s.rec.blocks.group_type(1), 4);
  EXPECT_EQ(s.rec.blocks.group_size(1), 3);
  EXPECT_EQ(s.rec.blocks.group_blocks(1, 3), 3);
  EXPECT_EQ(s.rec.blocks.group_column0(2), 19);
  EXPECT_EQ(s.types_on(), (std::vector<int>{4}));
}

TEST(GroupDialogue, ChosenBlockTypesAndTheSecondGroupsColumns) {
  Session s("1\n2\n4 3\n5 2\n3 1\n0 7\n");
  three_types(s);
  s.run();
  EXPECT_EQ(s.screen(), menu_text + "\n How many global parameters? " +
                            " Enter parameter numbers: " + three_types_structure + ask_pair +
                            ask_pair + " Enter   2 Block numbers: " + ask_pair);
  // Global parameters first, then group 1 (columns 17..19), then group 2 from column 20.
  EXPECT_EQ(s.columns(), (Columns{2, 17, 18, 19, 22, 20}));
  EXPECT_EQ(s.rec.blocks.group_type(2), 5);
  EXPECT_EQ(s.rec.blocks.group_size(2), 2);
  EXPECT_EQ(s.rec.blocks.group_blocks(2, 1), 3);
  EXPECT_EQ(s.rec.blocks.group_blocks(2, 2), 1);
  EXPECT_EQ(s.rec.blocks.group_size(3), 0);
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 4, 5}));
}

TEST(GroupDialogue, TooLargeTypeOrCountIsAskedAgain) {
  Session s("0\n16 1\n2 4\n0 0\n");
  three_types(s);
  s.run();
  EXPECT_EQ(s.screen(), three_types_head + ask_pair + "  16   1 too large. Try again...\n" +
                            ask_pair + "   2   4 too large. Try again...\n" + ask_pair);
  EXPECT_EQ(s.rec.stats.param_count, 0);
  EXPECT_TRUE(s.types_on().empty());
}

TEST(GroupDialogue, NegativeTypeOrCountBelowOneIsAskedAgain) {
  Session s("0\n-3 1\n3 0\n3 -2\n3 1\n2\n0 0\n");
  three_types(s);
  s.run();
  EXPECT_EQ(s.screen(), three_types_head + ask_pair + "  -3   1 too small. Try again...\n" +
                            ask_pair + "   3   0 too small. Try again...\n" + ask_pair +
                            "   3  -2 too small. Try again...\n" + ask_pair +
                            " Enter   1 Block numbers: " + ask_pair);
  EXPECT_EQ(s.columns(), (Columns{18}));
}

TEST(GroupDialogue, ZeroTypeEndsWhateverTheCount) {
  Session s("0\n0 -5\n");
  three_types(s);
  s.run();
  EXPECT_EQ(s.rec.stats.param_count, 0);
}

TEST(GroupDialogue, BlockTypeNumbersOutsideTheStructureAreAskedAgain) {
  Session s("0\n3 2\n0 1\n4 1\n-1 2\n2 2\n0 0\n");
  three_types(s);
  s.run();
  const std::string ask_blocks = " Enter   2 Block numbers: ";
  EXPECT_EQ(s.screen(),
            three_types_head + ask_pair + ask_blocks +
                " Block type 0 does not exist; use 1 to 3. Try again...\n" + ask_blocks +
                " Block type 4 does not exist; use 1 to 3. Try again...\n" + ask_blocks +
                " Block type -1 does not exist; use 1 to 3. Try again...\n" + ask_blocks +
                ask_pair);
  // The same block type twice gives the same column twice.
  EXPECT_EQ(s.columns(), (Columns{18, 18}));
}

TEST(GroupDialogue, SixteenBlockTypesFillTheColumnsWithThreeGroups) {
  Session s("0\n1 16\n2 16\n3 16\n4 16\n1 1\n0 0\n");
  s.preset_blocking(4, 16);
  s.run();
  const std::string screen = s.screen();
  const std::size_t after_third = screen.find(column_limit);
  ASSERT_NE(after_third, std::string::npos);
  // The message follows the third group; answers other than 0 0 add nothing more.
  EXPECT_EQ(screen.substr(after_third),
            column_limit + ask_pair + column_limit + ask_pair + column_limit + ask_pair);
  EXPECT_EQ(occurrences(screen, ask_pair), 6);
  ASSERT_EQ(s.rec.stats.param_count, 48);
  for (int p = 1; p <= 48; ++p) EXPECT_EQ(s.rec.stats.param_column(p), 16 + p);
  EXPECT_EQ(s.rec.blocks.group_size(3), 16);
  EXPECT_EQ(s.rec.blocks.group_size(4), 0);
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 3}));
}

TEST(GroupDialogue, FourBlockTypesGiveTwelveGroupsUpToColumn64) {
  std::string answers = "0\n";
  for (int g = 1; g <= 12; ++g) answers += "1 4\n";
  answers += "2 1\n0 0\n";
  Session s(answers);
  s.preset_blocking(4, 4);
  s.run();
  ASSERT_EQ(s.rec.stats.param_count, 48);
  EXPECT_EQ(s.rec.stats.param_column(48), 64);
  EXPECT_EQ(occurrences(s.screen(), column_limit), 2);
  EXPECT_EQ(occurrences(s.screen(), "Block numbers"), 0);
  EXPECT_EQ(s.rec.blocks.group_size(13), 0);
}

TEST(GroupDialogue, EndsByItselfAfterFifteenGroups) {
  std::string answers = "0\n";
  for (int g = 1; g <= 15; ++g) answers += std::to_string(g) + " 2\n";
  answers += "left over\n";
  Session s(answers);
  s.preset_blocking(2, 2);
  s.run();
  EXPECT_EQ(occurrences(s.screen(), ask_pair), 15);
  EXPECT_EQ(occurrences(s.screen(), "memory"), 0);
  ASSERT_EQ(s.rec.stats.param_count, 30);
  EXPECT_EQ(s.rec.stats.param_column(30), 16 + 2 * 14 + 2);
  EXPECT_EQ(s.rec.blocks.group_type(15), 15);
  std::string rest;
  std::getline(s.in, rest);
  EXPECT_EQ(rest, "left over");
}

TEST(GroupDialogue, AGroupThatWouldPassSixtyFourParametersIsRefused) {
  std::string numbers;
  for (int k = 0; k < 63; ++k) numbers += "1 ";
  Session s("63\n" + numbers + "\n1 2\n1 1\n3\n0 0\n");
  three_types(s);
  s.run();
  EXPECT_EQ(occurrences(s.screen(), " Too many parameters! Maximum is 64. Try again...\n"), 1);
  ASSERT_EQ(s.rec.stats.param_count, 64);
  EXPECT_EQ(s.rec.stats.param_column(64), 19);
}

TEST(GroupDialogue, NoBlockTypesLeavesOnlyZeroToEnd) {
  Session s("0\n1 1\n1 0\n0 0\n");
  s.preset_blocking(2, 0);
  s.run();
  EXPECT_EQ(occurrences(s.screen(), " too large. Try again..."), 1);
  EXPECT_EQ(occurrences(s.screen(), " too small. Try again..."), 1);
  EXPECT_EQ(s.rec.stats.param_count, 0);
}

TEST(GroupDialogue, GroupTablesAreResetOnEveryCall) {
  Session s("0\n4 3\n5 3\n0 0\n0\n0 0\n");
  three_types(s);
  s.run();
  EXPECT_EQ(s.rec.blocks.group_size(2), 3);
  s.run();
  EXPECT_EQ(s.rec.blocks.group_size(1), 0);
  EXPECT_EQ(s.rec.blocks.group_type(2), 0);
  EXPECT_EQ(s.rec.blocks.group_column0(16), 16 + 3 * 15);
}

}  // namespace
}  // namespace tarn::testing
