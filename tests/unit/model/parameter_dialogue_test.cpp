#include <gtest/gtest.h>

#include "store/fatal_error.h"
#include "unit/model/model_session.h"

namespace tarn::testing {
namespace {

using Columns = std::vector<int>;

// ---- Global dialogue (no blocking) ----

TEST(GlobalDialogue, ShowsTheMenuAndTakesTheTypesInOrder) {
  Session s("3\n1 2 6\n");
  s.run();
  EXPECT_EQ(s.screen(), menu_text +
                            "\n How many global parameters? "
                            " Enter parameter numbers: ");
  EXPECT_EQ(s.columns(), (Columns{1, 2, 6}));
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 6}));
  EXPECT_EQ(s.rec.triad_out_only(), 0);
}

TEST(GlobalDialogue, CountZeroGivesNoParameters) {
  Session s("0\n");
  s.run();
  EXPECT_EQ(s.screen(), menu_text + "\n How many global parameters? ");
  EXPECT_EQ(s.rec.stats.param_count, 0);
  EXPECT_TRUE(s.types_on().empty());
}

TEST(GlobalDialogue, ZeroEndsTheList) {
  Session s("4\n3 5 0 7\n");
  s.run();
  EXPECT_EQ(s.columns(), (Columns{3, 5}));
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 3, 5}));  // 5 brings in 2; 7 was never taken
}

TEST(GlobalDialogue, NumbersOutsideOneToSixteenAreDropped) {
  Session s("4\n17 -4 2 116\n");
  s.run();
  EXPECT_EQ(s.columns(), (Columns{2}));
}

TEST(GlobalDialogue, CountsAreTakenFromFollowingLines) {
  Session s("\n2\n\n4,\n 1 9 9\n");
  s.run();
  EXPECT_EQ(s.columns(), (Columns{4, 1}));
}

TEST(GlobalDialogue, ACountOutsideZeroToSixtyFourIsAskedAgain) {
  Session s("65\n-1\n1\n2\n");
  s.run();
  const std::string retry = " The count must lie between 0 and 64. Try again...\n";
  EXPECT_EQ(s.screen(), menu_text + "\n How many global parameters? " + retry +
                            "\n How many global parameters? " + retry +
                            "\n How many global parameters? " + " Enter parameter numbers: ");
  EXPECT_EQ(s.columns(), (Columns{2}));
}

TEST(GlobalDialogue, SixtyFourParametersFit) {
  std::string numbers;
  for (int k = 0; k < 64; ++k) numbers += "1 ";
  Session s("64\n" + numbers + "\n");
  s.run();
  EXPECT_EQ(s.rec.stats.param_count, 64);
}

TEST(GlobalDialogue, NotANumberEndsTheRun) {
  Session s("two\n");
  EXPECT_THROW(s.run(), FatalError);
}

TEST(GlobalDialogue, EndOfInputEndsTheRun) {
  Session s("2\n1\n");
  EXPECT_THROW(s.run(), FatalError);
}

// ---- Derived switches ----

TEST(TypeSwitches, TypeThirteenAlone) {
  Session s("1\n13\n");
  s.run();
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 6, 7, 13}));
  EXPECT_EQ(s.rec.triad_out_only(), 0);
}

TEST(TypeSwitches, TypeFifteenAlone) {
  Session s("1\n15\n");
  s.run();
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 6, 15}));
  EXPECT_EQ(s.rec.triad_out_only(), 1);
  EXPECT_EQ(s.rec.flags.type_on(1), 1);
}

TEST(TypeSwitches, SixAndFifteen) {
  Session s("2\n6 15\n");
  s.run();
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 6, 15}));
  EXPECT_EQ(s.rec.triad_out_only(), 0);
}

TEST(TypeSwitches, FifteenWithAReciprocatedTriad) {
  Session s("2\n15 11\n");
  s.run();
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 6, 11, 15}));
  EXPECT_EQ(s.rec.triad_out_only(), 0);
}

TEST(TypeSwitches, ReciprocatedStarsNeedReciprocatedEdges) {
  for (int type : {5, 8, 9, 10}) {
    Session s("1\n" + std::to_string(type) + "\n");
    s.run();
    EXPECT_EQ(s.types_on(), (std::vector<int>{2, type}));
  }
}

TEST(TypeSwitches, TypeOneLeavesItsSlotToTriadOutOnly) {
  Session s("1\n1\n");
  s.run();
  EXPECT_EQ(s.columns(), (Columns{1}));
  EXPECT_EQ(s.rec.flags.type_on(1), 0);
}

TEST(Reset, EveryCallRebuildsTheListAndTheSwitches) {
  Session s("2\n13 3\n1\n4\n");
  s.run();
  EXPECT_EQ(s.columns(), (Columns{13, 3}));
  s.run();
  EXPECT_EQ(s.columns(), (Columns{4}));
  EXPECT_EQ(s.types_on(), (std::vector<int>{4}));
  EXPECT_EQ(s.rec.stats.param_column(2), 0);
}

// ---- Short dialogue (blocking with a single block type) ----

const std::string add_100 = " Add 100 for correponding block parameter\n";

TEST(ShortDialogue, PlainAndBlockParametersInTheOrderTyped) {
  Session s("3\n1 103 2\n");
  s.preset_blocking(3, 1);
  s.run();
  EXPECT_EQ(s.screen(),
            menu_text + add_100 + "\n How many parameters? " + " Enter parameter numbers: ");
  EXPECT_EQ(s.columns(), (Columns{1, 17, 2}));
  EXPECT_EQ(s.rec.blocks.group_type(1), 3);
  EXPECT_EQ(s.rec.blocks.group_size(1), 1);
  EXPECT_EQ(s.rec.blocks.group_size(2), 0);
  EXPECT_EQ(s.rec.blocks.group_blocks(3, 1), 1);  // row = configuration type
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 3}));
}

TEST(ShortDialogue, EachBlockParameterIsItsOwnGroup) {
  Session s("3\n106 115 106\n");
  s.preset_blocking(2, 1);
  s.run();
  EXPECT_EQ(s.columns(), (Columns{17, 18, 19}));
  EXPECT_EQ(s.rec.blocks.group_type(1), 6);
  EXPECT_EQ(s.rec.blocks.group_type(2), 15);
  EXPECT_EQ(s.rec.blocks.group_type(3), 6);
  EXPECT_EQ(s.rec.blocks.group_column0(3), 18);
  EXPECT_EQ(s.rec.blocks.group_blocks(15, 1), 1);
  EXPECT_EQ(s.rec.triad_out_only(), 0);
}

TEST(ShortDialogue, SixteenPlusHundredAndHundredAreIgnored) {
  Session s("4\n116 100 4 -101\n");
  s.preset_blocking(3, 1);
  s.run();
  EXPECT_EQ(s.columns(), (Columns{4}));
  EXPECT_EQ(s.rec.blocks.group_size(1), 0);
}

TEST(ShortDialogue, AFirstNumberOfZeroStartsAgain) {
  Session s("0\n\n2\n0 5\n1\n2\n");  // a count of 0 still takes its answer line
  s.preset_blocking(3, 1);
  s.run();
  const std::string ask = add_100 + "\n How many parameters? " + " Enter parameter numbers: ";
  EXPECT_EQ(s.screen(), menu_text + ask + ask + ask);
  EXPECT_EQ(s.columns(), (Columns{2}));
}

TEST(ShortDialogue, MoreThanFifteenBlockParametersAreRefused) {
  std::string sixteen;
  for (int t = 1; t <= 15; ++t) sixteen += std::to_string(100 + t) + " ";
  sixteen += "101";
  std::string fifteen;
  for (int t = 1; t <= 15; ++t) fifteen += std::to_string(100 + t) + " ";
  fifteen += "7";
  Session s("16\n" + sixteen + "\n" + fifteen + "\n");
  s.preset_blocking(3, 1);
  s.run();
  EXPECT_EQ(s.screen(), menu_text + add_100 + "\n How many parameters? " +
                            " Enter parameter numbers: " +
                            " Too many block parameters! Maximum is 15. Try again...\n" +
                            " Enter parameter numbers: ");
  ASSERT_EQ(s.rec.stats.param_count, 16);
  EXPECT_EQ(s.rec.stats.param_column(15), 31);
  EXPECT_EQ(s.rec.stats.param_column(16), 7);
  EXPECT_EQ(s.rec.blocks.group_type(15), 15);
}

TEST(ShortDialogue, ACountAboveSixtyFourIsAskedAgain) {
  Session s("65\n1\n2\n");
  s.preset_blocking(3, 1);
  s.run();
  EXPECT_EQ(s.screen(), menu_text + add_100 + "\n How many parameters? " +
                            " The count must lie between 0 and 64. Try again...\n" +
                            "\n How many parameters? " + " Enter parameter numbers: ");
  EXPECT_EQ(s.columns(), (Columns{2}));
}

TEST(ShortDialogue, ANegativeCountIsAskedAgain) {
  Session s("-2\n1\n101\n");
  s.preset_blocking(3, 1);
  s.run();
  EXPECT_EQ(occurrences(s.screen(), " Try again..."), 1);
  EXPECT_EQ(s.columns(), (Columns{17}));
}

TEST(ShortDialogue, OnlyTheTypesOfTheListAreSwitchedOn) {
  Session s("2\n113 1\n");
  s.preset_blocking(2, 1);
  s.run();
  EXPECT_EQ(s.types_on(), (std::vector<int>{2, 6, 7, 13}));
}

}  // namespace
}  // namespace tarn::testing
