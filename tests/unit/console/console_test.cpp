#include "input/console.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "store/fatal_error.h"

namespace tarn {
namespace {

struct Dialogue {
  explicit Dialogue(const std::string& answers) : in(answers), console(in, out) {}
  std::istringstream in;
  std::ostringstream out;
  Console console;
};

TEST(YesNo, OnlyFirstCharacterYMeansYes) {
  Dialogue d("y\nY\nyes\n\nn\n y\nx\n");
  EXPECT_TRUE(d.console.read_yes());
  EXPECT_TRUE(d.console.read_yes());
  EXPECT_TRUE(d.console.read_yes());
  EXPECT_FALSE(d.console.read_yes());
  EXPECT_FALSE(d.console.read_yes());
  EXPECT_FALSE(d.console.read_yes());
  EXPECT_FALSE(d.console.read_yes());
}

TEST(FileNames, CutOrPaddedTo24AndTrimmedForLookup) {
  Dialogue d("net.dat\n123456789012345678901234567890\n\n  lead.dat  \n");
  std::string a = d.console.read_file_name();
  EXPECT_EQ(a, "net.dat                 ");
  EXPECT_EQ(trimmed_name(a), "net.dat");
  EXPECT_EQ(d.console.read_file_name(), "123456789012345678901234");
  std::string empty = d.console.read_file_name();
  EXPECT_EQ(empty, std::string(24, ' '));
  EXPECT_EQ(trimmed_name(empty), "");
  EXPECT_EQ(trimmed_name(d.console.read_file_name()), "  lead.dat");
}

TEST(FreeFormat, ReadsAcrossLinesAndDiscardsTheRest) {
  Dialogue d("\n1, 2\n  3 4 5\n6\n-7 +8,9\n");
  auto v = d.console.read_integers(3);
  EXPECT_EQ(v, (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_EQ(d.console.read_integer(), 6);  // 4 and 5 were discarded with their line
  EXPECT_EQ(d.console.read_integers(2), (std::vector<std::int64_t>{-7, 8}));
}

TEST(FreeFormat, CountZeroTakesOneAnswerLine) {
  Dialogue d("1 2\n5\n");
  EXPECT_TRUE(d.console.read_integers(0).empty());
  EXPECT_EQ(d.console.read_integer(), 5);
}

TEST(FreeFormat, NotANumberEndsTheRun) {
  for (const char* answer : {"1 two\n", "1 2x\n", "1 -\n", "1 +-3\n", "1 3.5\n", "1 1e3\n"}) {
    Dialogue d(answer);
    EXPECT_THROW(d.console.read_integers(2), FatalError) << answer;
  }
}

// A number beyond the 64-bit range is a whole number too: it stands for the largest (smallest)
// value, so every dialogue refuses it like any other number beyond its limit.
TEST(FreeFormat, NumbersBeyondSixtyFourBitsSaturate) {
  Dialogue d("99999999999999999999999 -99999999999999999999999\n9223372036854775807\n");
  EXPECT_EQ(d.console.read_integers(2),
            (std::vector<std::int64_t>{std::numeric_limits<std::int64_t>::max(),
                                       -std::numeric_limits<std::int64_t>::max()}));
  EXPECT_EQ(d.console.read_integer(), std::numeric_limits<std::int64_t>::max());
}

TEST(FreeFormat, TenThousandNumbersOnOneLineTakeOnlyTheCount) {
  std::string line;
  for (int k = 1; k <= 10000; ++k) line += std::to_string(k) + (k % 2 ? " " : ",");
  Dialogue d(line + "\n77\n");
  EXPECT_EQ(d.console.read_integers(3), (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_EQ(d.console.read_integer(), 77);
}

TEST(TwoColumn, FirstTwoCharactersBlanksCountForNothing) {
  Dialogue d("\n 3\n12345\n4 7\n-1\n");
  EXPECT_EQ(d.console.read_two_column_integer(), 0);
  EXPECT_EQ(d.console.read_two_column_integer(), 3);
  EXPECT_EQ(d.console.read_two_column_integer(), 12);
  EXPECT_EQ(d.console.read_two_column_integer(), 4);
  EXPECT_EQ(d.console.read_two_column_integer(), -1);
}

TEST(EndOfInput, EveryReaderEndsTheRunWithAMessage) {
  Dialogue d("");
  EXPECT_THROW(d.console.read_yes(), FatalError);
  EXPECT_THROW(d.console.read_file_name(), FatalError);
  EXPECT_THROW(d.console.read_integer(), FatalError);
  EXPECT_THROW(d.console.read_two_column_integer(), FatalError);
  Dialogue e("1\n");
  EXPECT_THROW(e.console.read_integers(2), FatalError);
}

TEST(Prompt, StaysOnTheLine) {
  Dialogue d("");
  d.console.prompt(" Continue? (y or n): ");
  EXPECT_EQ(d.out.str(), " Continue? (y or n): ");
}

TEST(LineEnds, CarriageReturnIsNotPartOfTheAnswer) {
  Dialogue d("net.dat\r\n7\r\n");
  EXPECT_EQ(trimmed_name(d.console.read_file_name()), "net.dat");
  EXPECT_EQ(d.console.read_integer(), 7);
}

}  // namespace
}  // namespace tarn
