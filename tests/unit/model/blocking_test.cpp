#include <gtest/gtest.h>

#include "model/unblocked_nodes.h"
#include "unit/model/model_session.h"

namespace tarn::testing {
namespace {

// An attribute file read for blocks: node i has the block values[i - 1] in attribute 1, and
// attribute 2 has two blocks.
void attributes(Session& s, const std::vector<int>& values, int blocks_of_first) {
  s.rec.flags.use_blocks = 1;
  s.rec.nodes.node_count = static_cast<int16>(values.size());
  s.rec.nodes.attr_count = 2;
  s.rec.nodes.attr_max(1) = static_cast<int16>(blocks_of_first);
  s.rec.nodes.attr_max(2) = 2;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int node = static_cast<int>(i) + 1;
    s.rec.nodes.attr_value(node, 1) = static_cast<int16>(values[i]);
    s.rec.nodes.attr_value(node, 2) = static_cast<int16>(1 + node % 2);
  }
}

const std::string attribute_prompt = "\n Enter attribute number for blocking (1- 2): ";
const std::string accept_prompt = "\n Accept this block structure? (y or n): ";
const std::string short_start =
    " Add 100 for correponding block parameter\n\n How many parameters? ";

TEST(Blocking, ADeclinedDefaultTypedByHandWithARejectedRow) {
  Session s("1\nn\n1 0 0\n1 17 0\n0 2 0\n0 0 1\n0\n0 0\n");
  attributes(s, {1, 1, 2, 2, 3, 3}, 3);
  s.run();
  EXPECT_EQ(s.screen(), attribute_prompt +
                            "  1  0  0\n"
                            "  0  1  0\n"
                            "  0  0  1\n" +
                            accept_prompt +
                            "\n Enter  3 rows, and  3 columns of block types between 0 and 16\n"
                            "\n Row  1: "
                            "\n Row  2: "
                            "  17 is too large! Maximum is 16. Try again...\n"
                            "\n Row  2: "
                            "\n Row  3: " +
                            menu_text + "\n How many global parameters? " +
                            "\n Block structure:\n"
                            "  1  0  0\n"
                            "  0  2  0\n"
                            "  0  0  1\n"
                            " Select parameter and number of blocks. 0 0 to quit.\n"
                            " Parameter, number of Blocks: ");
  const Blocks& b = s.rec.blocks;
  EXPECT_EQ(b.block_attr, 1);
  EXPECT_EQ(b.block_count, 3);
  EXPECT_EQ(b.block_type_count, 2);
  EXPECT_EQ(b.block_type(2, 1), 0);
  EXPECT_EQ(b.block_type(2, 2), 2);
  EXPECT_EQ(b.block_type(3, 3), 1);
}

TEST(Blocking, TheAcceptedDefaultIsTheIdentityWithOneBlockType) {
  Session s("1\ny\n1\n101\n");
  attributes(s, {1, 2, 3}, 3);
  s.run();
  EXPECT_EQ(s.screen(), attribute_prompt + "  1  0  0\n  0  1  0\n  0  0  1\n" + accept_prompt +
                            menu_text + short_start + " Enter parameter numbers: ");
  EXPECT_EQ(s.rec.blocks.block_type_count, 1);
  EXPECT_EQ(s.columns(), (std::vector<int>{17}));
}

TEST(Blocking, SixteenBlocksShowEachRowOnTwoLines) {
  std::vector<int> values;
  for (int k = 1; k <= 16; ++k) values.push_back(k);
  Session s("1\ny\n1\n1\n");
  attributes(s, values, 16);
  s.run();
  std::string rows;
  for (int r = 1; r <= 16; ++r) {
    for (int c = 1; c <= 16; ++c) {
      rows += r == c ? "  1" : "  0";
      if (c == 8 || c == 16) rows += "\n";
    }
  }
  EXPECT_EQ(s.screen(), attribute_prompt + rows + accept_prompt + menu_text + short_start +
                            " Enter parameter numbers: ");
  EXPECT_EQ(s.rec.blocks.block_count, 16);
}

TEST(Blocking, NineBlocksTakeEightValuesAndOne) {
  Session s("1\ny\n1\n1\n");
  attributes(s, {1, 9}, 9);
  s.run();
  EXPECT_NE(s.screen().find(attribute_prompt + "  1  0  0  0  0  0  0  0\n  0\n"
                                               "  0  1  0  0  0  0  0  0\n  0\n"),
            std::string::npos);
}

TEST(Blocking, SeventeenBlocksAreTooMany) {
  Session s("1\n2\ny\n1\n1\n");
  attributes(s, {1, 17}, 17);
  s.run();
  const std::string expected =
      attribute_prompt + "\n   17 is too many blocks! Maximum is 16\n" + attribute_prompt;
  EXPECT_EQ(s.screen().substr(0, expected.size()), expected);
  EXPECT_EQ(s.rec.blocks.block_attr, 2);
  EXPECT_EQ(s.rec.blocks.block_count, 2);
}

TEST(Blocking, AnEmptyAnswerMeansNoBlocking) {
  Session s("\n1\n1\n");
  attributes(s, {1, 2}, 2);
  s.run();
  EXPECT_EQ(s.screen(), attribute_prompt + menu_text + "\n How many global parameters? " +
                            " Enter parameter numbers: ");
  EXPECT_EQ(s.rec.blocks.block_attr, 0);
}

TEST(Blocking, AttributeNumbersOutsideTheUsableOnesAreAskedAgain) {
  Session s("-1\n3\n99\n2\n1\ny\n1\n1\n");
  attributes(s, {1, 2}, 2);
  s.rec.nodes.attr_max(2) = 0;  // counted, but without a block: must still be refused
  s.run();
  const std::string expected =
      attribute_prompt + " Attribute -1 cannot be used for blocking. Try again...\n" +
      attribute_prompt + " Attribute 3 cannot be used for blocking. Try again...\n" +
      attribute_prompt + " Attribute 99 cannot be used for blocking. Try again...\n" +
      attribute_prompt + " Attribute 2 cannot be used for blocking. Try again...\n" +
      attribute_prompt + "  1  0\n  0  1\n" + accept_prompt + menu_text;
  EXPECT_EQ(s.screen().substr(0, expected.size()), expected);
  EXPECT_EQ(s.rec.blocks.block_attr, 1);
}

TEST(Blocking, ARowWithANegativeBlockTypeIsEnteredAgain) {
  Session s("1\nn\n1 -2\n1 0\n0 1\n1\n1\n");
  attributes(s, {1, 2}, 2);
  s.run();
  EXPECT_NE(s.screen().find("\n Row  1:   -2 is negative! Minimum is 0. Try again...\n"
                            "\n Row  1: \n Row  2: "),
            std::string::npos);
  EXPECT_EQ(s.rec.blocks.block_type(1, 1), 1);
  EXPECT_EQ(s.rec.blocks.block_type_count, 1);
}

TEST(Blocking, ARejectedRowDoesNotCountTowardsTheBlockTypes) {
  Session s("1\nn\n5 17\n1 0\n0 1\n1\n1\n");
  attributes(s, {1, 2}, 2);
  s.run();
  EXPECT_EQ(s.rec.blocks.block_type_count, 1);
  EXPECT_EQ(s.rec.blocks.block_type(1, 1), 1);
}

TEST(Blocking, ZerosAndOnesTypedByHandGiveOneBlockType) {
  Session s("1\nn\n0 1\n1 0\n1\n1\n");
  attributes(s, {1, 2}, 2);
  s.run();
  EXPECT_EQ(s.rec.blocks.block_type_count, 1);
  EXPECT_NE(s.screen().find(short_start), std::string::npos);
}

TEST(Blocking, AllZerosGiveNoBlockTypes) {
  Session s("1\nn\n0 0\n0 0\n0\n0 0\n");
  attributes(s, {1, 2}, 2);
  s.run();
  EXPECT_EQ(s.rec.blocks.block_type_count, 0);
  EXPECT_NE(s.screen().find(" Block structure:\n  0  0\n  0  0\n"), std::string::npos);
}

TEST(Blocking, SameBlockingYesKeepsTheStructure) {
  Session s("1\ny\n1\n1\ny\n1\n2\n");
  attributes(s, {1, 2}, 2);
  s.run();
  const std::string first = s.screen();
  s.out.str("");
  s.run();
  EXPECT_EQ(s.screen(),
            " Same blocking? " + menu_text + short_start + " Enter parameter numbers: ");
  EXPECT_EQ(s.rec.blocks.block_attr, 1);
  EXPECT_EQ(s.rec.blocks.block_count, 2);
  EXPECT_EQ(first.find("Same blocking"), std::string::npos);
}

TEST(Blocking, SameBlockingNoAsksForTheAttributeAgain) {
  Session s("n\n2\ny\n1\n1\n");
  attributes(s, {1, 2}, 2);
  s.rec.blocks.block_attr = 1;
  s.rec.blocks.block_count = 2;
  s.run();
  const std::string expected = " Same blocking? " + attribute_prompt + "  1  0\n  0  1\n";
  EXPECT_EQ(s.screen().substr(0, expected.size()), expected);
  EXPECT_EQ(s.rec.blocks.block_attr, 2);
}

TEST(Blocking, WithoutBlocksNothingIsShown) {
  Session s("0\n");
  attributes(s, {1, 2}, 2);
  s.rec.flags.use_blocks = 0;
  s.run();
  EXPECT_EQ(s.screen(), menu_text + "\n How many global parameters? ");
}

TEST(UnblockedNodes, NodesWithoutAValidBlockAreReportedOnce) {
  Session s("1\ny\n1\n1\n");
  attributes(s, {1, 0, 2, -1, 2}, 2);
  s.run();
  const std::string expected =
      attribute_prompt + "  1  0\n  0  1\n" + accept_prompt +
      " 2 nodes have no valid block (value outside 1 to 2); their dyads belong to no block "
      "type.\n" +
      menu_text;
  EXPECT_EQ(s.screen().substr(0, expected.size()), expected);
  EXPECT_EQ(occurrences(s.screen(), "no valid block"), 1);
}

TEST(UnblockedNodes, ReportedWhenTheSameBlockingMeetsNewValues) {
  Session s("y\n1\n1\n");
  attributes(s, {1, 3, 2}, 3);
  s.rec.blocks.block_attr = 1;
  s.rec.blocks.block_count = 2;
  s.rec.blocks.block_type_count = 1;
  s.run();
  const std::string expected =
      " Same blocking?  1 node has no valid block (value outside 1 to 2); their dyads belong to "
      "no block type.\n" +
      menu_text;
  EXPECT_EQ(s.screen().substr(0, expected.size()), expected);
}

TEST(UnblockedNodes, CountsOnlyNodesOneToN) {
  Session s("");
  attributes(s, {1, 2}, 2);
  s.rec.blocks.block_attr = 1;
  s.rec.blocks.block_count = 2;
  s.rec.nodes.attr_value(3, 1) = 0;  // above n
  EXPECT_EQ(count_unblocked_nodes(s.rec), 0);
  s.rec.nodes.attr_value(2, 1) = 3;
  EXPECT_EQ(count_unblocked_nodes(s.rec), 1);
  s.rec.blocks.block_attr = 0;
  EXPECT_EQ(count_unblocked_nodes(s.rec), 0);
}

}  // namespace
}  // namespace tarn::testing
