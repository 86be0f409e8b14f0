#include "dialogue/console.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "dialogue/dialogue_error.h"
#include "tarnwick/classic/data.h"

namespace tarn {
namespace {

struct Dialogue {
  explicit Dialogue(const std::string& answers) : in(answers), c(in, out) {}
  std::istringstream in;
  std::ostringstream out;
  Console c;
};

TEST(Console, OnlyAFirstCharacterYMeansYes) {
  Dialogue d("y\nY\nyes\n\nn\n y\nx\n");
  for (bool yes : {true, true, true, false, false, false, false}) EXPECT_EQ(d.c.read_yes(), yes);
}

TEST(Console, NamesCutOrPaddedTo24AndTrimmedForLookup) {
  Dialogue d("net.dat\r\n123456789012345678901234567890\n\n  lead.dat  \n");
  const std::string a = d.c.read_file_name();
  EXPECT_EQ(a, "net.dat                 ");  // the carriage return is not part of it
  EXPECT_EQ(tarnwick::classic_trimmed_name(a), "net.dat");
  EXPECT_EQ(d.c.read_file_name(), "123456789012345678901234");
  EXPECT_EQ(d.c.read_file_name(), std::string(24, ' '));
  EXPECT_EQ(tarnwick::classic_trimmed_name(d.c.read_file_name()), "  lead.dat");
}

TEST(Console, FreeFormatReadsAcrossLinesAndDiscardsTheRest) {
  Dialogue d("\n1, 2\n  3 4 5\n6\r\n-7 +8,9\n1 2\n5\n");
  EXPECT_EQ(d.c.read_integers(3), (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_EQ(d.c.read_integer(), 6);  // 4 and 5 went with their line
  EXPECT_EQ(d.c.read_integers(2), (std::vector<std::int64_t>{-7, 8}));
  EXPECT_TRUE(d.c.read_integers(0).empty());  // a count of 0 still takes a line
  EXPECT_EQ(d.c.read_integer(), 5);
}

TEST(Console, TwoColumnReadTakesTheFirstTwoCharacters) {
  Dialogue d("\n 3\n12345\n4 7\n-1\n");
  for (int expected : {0, 3, 12, 4, -1}) EXPECT_EQ(d.c.read_two_column_integer(), expected);
}

TEST(Console, EndOfInputEndsTheRunInEveryReader) {
  Dialogue d(""), e("1\n");
  EXPECT_THROW(d.c.read_yes(), DialogueError);
  EXPECT_THROW(d.c.read_file_name(), DialogueError);
  EXPECT_THROW(d.c.read_integer(), DialogueError);
  EXPECT_THROW(d.c.read_two_column_integer(), DialogueError);
  EXPECT_THROW(e.c.read_integers(2), DialogueError);
}

}  // namespace
}  // namespace tarn
