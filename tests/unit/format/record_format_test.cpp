#include "input/record_format.h"

#include <gtest/gtest.h>

#include <string>

namespace tarn {
namespace {

using Kind = FormatItem::Kind;

RecordFormat parsed(const std::string& text) {
  std::string problem;
  std::optional<RecordFormat> f = RecordFormat::parse(text, problem);
  EXPECT_TRUE(f.has_value()) << text << ": " << problem;
  return f ? *f : RecordFormat();
}

// The reason a format is refused; empty when it is accepted.
std::string problem_of(const std::string& text) {
  std::string problem;
  std::optional<RecordFormat> f = RecordFormat::parse(text, problem);
  if (f) return std::string();
  EXPECT_FALSE(problem.empty()) << text;
  return problem;
}

void expect_refused(const std::string& text, const std::string& part) {
  std::string problem = problem_of(text);
  EXPECT_FALSE(problem.empty()) << text << " was accepted";
  EXPECT_NE(problem.find(part), std::string::npos) << text << ": " << problem;
}

TEST(FormatSyntax, IntegerFieldsWithWidthRepeatAndIgnoredMinimum) {
  RecordFormat f = parsed("(2I5,I3.2)");
  ASSERT_EQ(f.items().size(), 2u);
  EXPECT_EQ(f.items()[0].kind, Kind::integer);
  EXPECT_EQ(f.items()[0].width, 5);
  EXPECT_EQ(f.items()[0].repeat, 2);
  EXPECT_EQ(f.items()[1].width, 3);
  EXPECT_EQ(f.items()[1].repeat, 1);
  EXPECT_EQ(f.integers_per_pass(), 3);
  EXPECT_EQ(f.reuse_index(), 0u);
}

TEST(FormatSyntax, BlanksAnywhereAndEitherCase) {
  RecordFormat f = parsed("   ( 2 i 1 0 , t l 3 , b z , I 2 . 1 )");
  ASSERT_EQ(f.items().size(), 4u);
  EXPECT_EQ(f.items()[0].width, 10);
  EXPECT_EQ(f.items()[0].repeat, 2);
  EXPECT_EQ(f.items()[1].kind, Kind::motion);
  EXPECT_EQ(f.items()[1].motion.shift, -3);
  EXPECT_EQ(f.items()[2].motion.mode, 1);
  EXPECT_EQ(f.items()[3].width, 2);
  EXPECT_EQ(f.compact_text(), "(2i10,tl3,bz,I2.1)");
}

TEST(FormatSyntax, TextAfterTheClosingParenthesisIsIgnored) {
  RecordFormat f = parsed("(I5) source target F5.2 'anything' ((");
  EXPECT_EQ(f.items().size(), 1u);
  EXPECT_EQ(f.compact_text(), "(I5)");
}

TEST(FormatSyntax, SlashNeedsNoCommas) {
  RecordFormat f = parsed("(I5/I5,/,I5//)");
  int slashes = 0;
  for (const FormatItem& it : f.items()) slashes += it.kind == Kind::slash;
  EXPECT_EQ(slashes, 4);
  EXPECT_EQ(f.integers_per_pass(), 3);
}

TEST(FormatSyntax, PositionItems) {
  RecordFormat f = parsed("(T7,TL2,TR4,3X,BN,I1)");
  ASSERT_EQ(f.items().size(), 6u);
  EXPECT_TRUE(f.items()[0].motion.absolute);
  EXPECT_EQ(f.items()[0].motion.target, 6);  // column 7, counted from 0
  EXPECT_EQ(f.items()[1].motion.shift, -2);
  EXPECT_EQ(f.items()[2].motion.shift, 4);
  EXPECT_EQ(f.items()[3].motion.shift, 3);
  EXPECT_EQ(f.items()[4].motion.mode, 0);
}

TEST(FormatSyntax, NestedGroupsAndReusePoint) {
  RecordFormat f = parsed("(I2,2(I3,1X))");
  EXPECT_EQ(f.integers_per_pass(), 3);
  EXPECT_EQ(f.reuse_index(), 1u);
  EXPECT_EQ(f.items()[1].kind, Kind::open);
  EXPECT_EQ(f.items()[1].repeat, 2);
  EXPECT_TRUE(f.reuse_reads_integers());

  RecordFormat g = parsed("(I1,2(I1,3(I1,I2)),4(I3),1X)");
  EXPECT_EQ(g.integers_per_pass(), 1 + 2 * (1 + 3 * 2) + 4);
  // The last outermost group is 4(I3), not the inner 3( ).
  EXPECT_EQ(g.items()[g.reuse_index()].kind, Kind::open);
  EXPECT_EQ(g.items()[g.reuse_index()].repeat, 4);
  EXPECT_EQ(g.max_depth(), 2u);
}

TEST(FormatSyntax, GroupsOfPositionItemsFoldIntoOneMove) {
  RecordFormat f = parsed("(I1,100000(2X,TL1),I1)");
  ASSERT_EQ(f.items().size(), 3u);
  EXPECT_EQ(f.items()[1].kind, Kind::motion);
  EXPECT_EQ(f.items()[1].motion.apply(1), 100001);
  EXPECT_EQ(f.max_depth(), 0u);
}

TEST(FormatSyntax, FoldedMovesBehaveLikeTheirRepetition) {
  // Left moves stop at the first column; the fold keeps that.
  Motion left;
  left.shift = -3;
  Motion right;
  right.shift = 1;
  Motion step = left.then(right);  // max(0, p-3) + 1
  for (std::int64_t count : {1, 2, 5, 9}) {
    Motion folded = step.repeated(count);
    for (std::int64_t p : {0, 1, 2, 7, 20, 40}) {
      std::int64_t q = p;
      for (std::int64_t k = 0; k < count; ++k) q = step.apply(q);
      EXPECT_EQ(folded.apply(p), q) << "count " << count << " from " << p;
    }
  }
  Motion column;
  column.absolute = true;
  column.target = 4;
  Motion tab_then_left = column.then(left).repeated(3);
  EXPECT_EQ(tab_then_left.apply(50), 1);
}

TEST(FormatSyntax, HugeNestedRepeatsSaturateWithoutOverflow) {
  RecordFormat f = parsed("(I1,999999999(999999999(999999999(999999999(9X)))),I1)");
  EXPECT_EQ(f.items()[1].motion.apply(0), Motion::limit);
  RecordFormat g = parsed("(999999999(999999999(999999999(I1))))");
  EXPECT_GT(g.integers_per_pass(), 1000000000);
}

TEST(FormatErrors, MustBeginWithOpeningParenthesis) {
  expect_refused("2I5,I3)", "opening parenthesis");
  expect_refused("I5", "opening parenthesis");
  expect_refused("", "empty");
  expect_refused("        ", "empty");
}

TEST(FormatErrors, UnbalancedParentheses) {
  expect_refused("(I5", "closing parenthesis is missing");
  expect_refused("((I5)", "closing parenthesis is missing");
  expect_refused("(I5,2(I3,1X)", "closing parenthesis is missing");
}

TEST(FormatErrors, UnknownEditItems) {
  expect_refused("(I5,F5.2)", "\"F5.2\" is a real-number field");
  expect_refused("(2E10.3)", "real-number field");
  expect_refused("(A3,I5)", "\"A3\" is a text field");
  expect_refused("(I5,'text',I5)", "literal text");
  expect_refused("(I5,3Habc)", "literal text");
  expect_refused("(I5,Q3)", "\"Q3\" is not an item");
  expect_refused("(I5,BX)", "is not an item");
  expect_refused("(I5,:)", "is not an item");
  expect_refused("(I5\t,I5)", "comma is missing");
}

TEST(FormatErrors, ZeroWidthsCountsAndColumns) {
  expect_refused("(I0)", "\"I0\": the field width must be at least 1");
  expect_refused("(0I5)", "repeat count must be at least 1");
  expect_refused("(I5,0(I3))", "repeat count must be at least 1");
  expect_refused("(T0,I5)", "\"T0\": the column must be at least 1");
  expect_refused("(TL0,I5)", "at least 1");
  expect_refused("(0X,I5)", "at least 1");
}

TEST(FormatErrors, MissingWidthsAndCounts) {
  expect_refused("(I)", "\"I\" has no field width");
  expect_refused("(I,I5)", "has no field width");
  expect_refused("(I5.)", "a number must follow the point");
  expect_refused("(X,I5)", "\"X\" has no count");
  expect_refused("(T,I5)", "has no column");
  expect_refused("(TR,I5)", "has no count");
}

TEST(FormatErrors, MisplacedRepeatCountsAndCommas) {
  expect_refused("(2T5,I5)", "repeat count may stand only before I or a group");
  expect_refused("(2BZ,I5)", "repeat count");
  expect_refused("(2/I5)", "repeat count");
  expect_refused("(I5,,I5)", "item is missing before a comma");
  expect_refused("(,I5)", "item is missing before a comma");
  expect_refused("(I5,)", "item is missing after the last comma");
  expect_refused("(I5 I5)", "comma is missing before \"I5\"");
  expect_refused("(I5.2.3)", "comma is missing");
}

TEST(FormatErrors, NumbersTooLarge) {
  expect_refused("(I1234567890)", "too large");
  expect_refused("(99999999999I5)", "too large");
}

TEST(FormatErrors, NoIntegerField) {
  expect_refused("()", "no integer field");
  expect_refused("(10X,/,T5)", "no integer field");
  expect_refused("(3(1X))", "no integer field");
}

}  // namespace
}  // namespace tarn
