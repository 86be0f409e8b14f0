#include "input/data_file.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "input/console.h"
#include "store/fatal_error.h"

namespace tarn {
namespace {

DataFile file_of(const std::string& text, const std::string& name = "net.dat") {
  return DataFile(std::make_unique<std::istringstream>(text), name_field(name));
}

using Rows = std::vector<std::vector<std::int32_t>>;

// All records of a file whose first line is its format, `count` numbers each.
Rows read_all(const std::string& text, int count, int bits = 32) {
  DataFile file = file_of(text);
  std::string format = file.read_format_line();
  std::vector<std::int32_t> values(static_cast<std::size_t>(count));
  std::vector<int> widths(static_cast<std::size_t>(count), bits);
  Rows rows;
  while (file.read_record(format, values, widths)) rows.push_back(values);
  return rows;
}

std::vector<std::int32_t> first_record(const std::string& text, int count, int bits = 32) {
  Rows rows = read_all(text, count, bits);
  EXPECT_FALSE(rows.empty()) << text;
  return rows.empty() ? std::vector<std::int32_t>() : rows[0];
}

// The message of the FatalError that `action` throws; empty when it throws none.
std::string error_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const FatalError& e) {
    EXPECT_EQ(e.exit_status(), 1);
    return e.what();
  }
  return std::string();
}

std::string read_error(const std::string& text, int count, int bits = 32) {
  return error_of([&] { read_all(text, count, bits); });
}

void expect_contains(const std::string& message, const std::string& part) {
  EXPECT_NE(message.find(part), std::string::npos) << "message: " << message;
}

using V = std::vector<std::int32_t>;

// ---- reading one integer field ----

TEST(IntegerFields, FixedColumns) {
  EXPECT_EQ(first_record("(2I5,I3)\n   12  345  1\n", 3), (V{12, 345, 1}));
  EXPECT_EQ(first_record("(I4,1X,I4,1X,I2)\n  12  345  1\n", 3), (V{12, 345, 1}));
  EXPECT_EQ(first_record("(3I2)\n-1+2-3\n", 3), (V{-1, 2, -3}));
}

TEST(IntegerFields, CommasEndFieldsEarly) {
  EXPECT_EQ(first_record("(3I10)\n1,2,3\n", 3), (V{1, 2, 3}));
  EXPECT_EQ(first_record("(3I10)\n  -17 ,+4,   9\n", 3), (V{-17, 4, 9}));
  // A comma right at the start of a field ends it empty.
  EXPECT_EQ(first_record("(3I5)\n7,,8\n", 3), (V{7, 0, 8}));
  // A field that ends before its comma leaves the comma to the next field, which is then empty.
  EXPECT_EQ(first_record("(I1,I1,I1)\n1,2\n", 3), (V{1, 0, 2}));
}

TEST(IntegerFields, BlankModes) {
  EXPECT_EQ(first_record("(I5)\n 1 2 \n", 1), (V{12}));
  EXPECT_EQ(first_record("(BZ,I5)\n 1 2 \n", 1), (V{1020}));
  EXPECT_EQ(first_record("(I4)\n  -3\n", 1), (V{-3}));
  EXPECT_EQ(first_record("(BN,I4)\n  -3\n", 1), (V{-3}));
  EXPECT_EQ(first_record("(I4)\n- 3 \n", 1), (V{-3}));
  EXPECT_EQ(first_record("(BZ,I4)\n- 3 \n", 1), (V{-30}));
  // The mode holds from its item on, and BN is back at the start of every record.
  EXPECT_EQ(read_all("(I3,BZ,I3,BN,I3)\n1 1 1 1 1\n1 1 1 1 1\n", 3),
            (Rows{{11, 10, 11}, {11, 10, 11}}));
  EXPECT_EQ(read_all("(I3,BZ,I3)\n1 1 1 \n1 1 1 \n", 2), (Rows{{11, 10}, {11, 10}}));
}

TEST(IntegerFields, BlankZeroCountsOnlyRealCharactersOfAShortLine) {
  // The field stops at the end of the line: no padding blanks turn into zeros.
  EXPECT_EQ(first_record("(BZ,I5)\n12\n", 1), (V{12}));
}

TEST(IntegerFields, EmptyAndBlankFieldsReadZero) {
  EXPECT_EQ(first_record("(3I3)\n  5     7\n", 3), (V{5, 0, 7}));
  EXPECT_EQ(first_record("(BZ,3I3)\n  5     7\n", 3), (V{5, 0, 7}));
}

TEST(IntegerFields, ShortLineGivesZeros) {
  EXPECT_EQ(first_record("(2I5,I3)\n    3    4\n", 3), (V{3, 4, 0}));
  EXPECT_EQ(first_record("(2I5,I3)\n    3\n", 3), (V{3, 0, 0}));
  EXPECT_EQ(first_record("(2I5,I3)\n\n", 3), (V{0, 0, 0}));
  // A short field at the end of the line: the line end is not used up.
  EXPECT_EQ(first_record("(I5,I5)\n 12\n", 2), (V{12, 0}));
}

TEST(IntegerFields, LimitsOfTheVariableWidth) {
  EXPECT_EQ(first_record("(2I7)\n  32767 -32768\n", 2, 16), (V{32767, -32768}));
  EXPECT_EQ(first_record("(2I12)\n  2147483647 -2147483648\n", 2, 32),
            (V{2147483647, std::numeric_limits<std::int32_t>::min()}));
  EXPECT_EQ(first_record("(I30)\n000000000000000000000000000042\n", 1, 16), (V{42}));
}

// ---- reading records ----

TEST(Records, ExtraFieldsAreNotReadAndNextRecordStartsOnNewLine) {
  EXPECT_EQ(read_all("(5I3)\n  1  2  3  4  5\n  6  7  8\n", 2), (Rows{{1, 2}, {6, 7}}));
  // Fields beyond those needed are not read, so whatever stands there is not checked.
  EXPECT_EQ(read_all("(I3,I3)\n  1 abc\n  2 x\n", 1), (Rows{{1}, {2}}));
}

TEST(Records, FewerFieldsContinueOnTheNextLines) {
  EXPECT_EQ(read_all("(I5)\n    1\n    2\n    3\n    4\n    5\n    6\n", 3),
            (Rows{{1, 2, 3}, {4, 5, 6}}));
  EXPECT_EQ(read_all("(2I3)\n  1  2\n  3  4\n  5  6\n  7  8\n", 3), (Rows{{1, 2, 3}, {5, 6, 7}}));
}

TEST(Records, ReuseStartsAtTheLastOutermostGroupWithItsRepeatCount) {
  // (I2,2(I3,1X)): the first line gives 3 numbers, each later line 2 more from the group.
  std::string text =
      "(I2,2(I3,1X))\n"
      " 1  2   3   99\n"
      "  4   5   99\n"
      "  6   7   99\n"
      "next record\n";
  DataFile file = file_of(text);
  std::string format = file.read_format_line();
  std::array<std::int32_t, 7> values{};
  std::array<int, 7> bits{16, 16, 16, 16, 16, 16, 16};
  ASSERT_TRUE(file.read_record(format, values, bits));
  EXPECT_EQ(values, (std::array<std::int32_t, 7>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(file.line_number(), 4);
}

TEST(Records, ReuseWithNestedGroupsRepeatsTheWholeOutermostGroup) {
  // The last outermost group is 2(I1,2(I2)); the leading I1 is not used again.
  std::string format_and_lines =
      "(I1,2(I1,2(I2)))\n"
      "1 2 3 4 5 6 7 8\n"
      "9 8 7 6 5 4 3 2\n";
  // Line 2: I1 "1", then the group twice: I1 " ", I2 "2 ", I2 "3 ", I1 "4", I2 " 5", I2 " 6".
  // Line 3 from the group: I1 "9", I2 " 8", I2 " 7".
  EXPECT_EQ(first_record(format_and_lines, 10), (V{1, 0, 2, 3, 4, 5, 6, 9, 8, 7}));
}

TEST(Records, ReuseWithoutGroupsStartsTheFormatAgain) {
  EXPECT_EQ(first_record("(I2,1X,I2)\n 1  2\n 3  4\n 5  6\n", 5), (V{1, 2, 3, 4, 5}));
}

TEST(Records, SlashGoesToTheNextLine) {
  EXPECT_EQ(read_all("(I2/I2)\n 1 9\n 2 9\n 3\n 4\n", 2), (Rows{{1, 2}, {3, 4}}));
  // Two slashes skip a line.
  EXPECT_EQ(first_record("(I2//I2)\n 1\n 8\n 2\n", 2), (V{1, 2}));
}

TEST(Records, OnlyTheFormatLineMeansNoRecords) {
  EXPECT_TRUE(read_all("(2I5,I3)\n", 3).empty());
  EXPECT_TRUE(read_all("(2I5,I3)", 3).empty());
}

TEST(Records, EndOfFileInsideARecordEndsTheData) {
  EXPECT_EQ(read_all("(I5)\n    1\n    2\n    3\n    4\n", 3), (Rows{{1, 2, 3}}));
  EXPECT_EQ(read_all("(I2/I2)\n 1\n 2\n 3\n", 2), (Rows{{1, 2}}));
}

TEST(Records, LastLineWithoutLineEndIsARecord) {
  EXPECT_EQ(read_all("(2I3)\n  1  2\n  3  4", 2), (Rows{{1, 2}, {3, 4}}));
}

TEST(Records, CarriageReturnsBeforeLineEndsAreDropped) {
  EXPECT_EQ(read_all("(2I3)\r\n  1  2\r\n  3  4\r\n", 2), (Rows{{1, 2}, {3, 4}}));
  // Under BZ a left-over carriage return would be an error, not a zero.
  EXPECT_EQ(read_all("(BZ,I4)\r\n  5\r\n", 1), (Rows{{5}}));
  EXPECT_EQ(file_of("(I5)\r\n").read_format_line(), "(I5)" + std::string(76, ' '));
}

TEST(Records, LineNumbersCountTheFormatLine) {
  DataFile file = file_of("(I2)\n 1\n 2\n");
  std::string format = file.read_format_line();
  EXPECT_EQ(file.line_number(), 1);
  std::array<std::int32_t, 1> v{};
  std::array<int, 1> b{16};
  ASSERT_TRUE(file.read_record(format, v, b));
  EXPECT_EQ(file.line_number(), 2);
  EXPECT_EQ(file.where(), "\"net.dat\", line 2");
}

TEST(Records, RewindReadsFromTheFirstLineAgain) {
  DataFile file = file_of("(I2)\n 1\n 2\n", "compare.dat");
  std::array<std::int32_t, 1> v{};
  std::array<int, 1> b{16};
  for (int pass = 0; pass < 3; ++pass) {
    std::string format = file.read_format_line();
    std::vector<std::int32_t> got;
    while (file.read_record(format, v, b)) got.push_back(v[0]);
    EXPECT_EQ(got, (std::vector<std::int32_t>{1, 2}));
    file.rewind();
    EXPECT_EQ(file.line_number(), 0);
  }
}

TEST(Records, AChangedFormatTextIsParsedAgain) {
  DataFile file = file_of("(I2)\n123456\n123456\n123456\n");
  file.read_format_line();
  std::array<std::int32_t, 1> v{};
  std::array<int, 1> b{32};
  ASSERT_TRUE(file.read_record("(I2)", v, b));
  EXPECT_EQ(v[0], 12);
  ASSERT_TRUE(file.read_record("(2X,I3)", v, b));
  EXPECT_EQ(v[0], 345);
  ASSERT_TRUE(file.read_record("(I2)", v, b));
  EXPECT_EQ(v[0], 12);
}

TEST(Records, MissingWidthsCountAs32Bits) {
  DataFile file = file_of("(2I12)\n      100000      200000\n");
  std::string format = file.read_format_line();
  std::array<std::int32_t, 2> v{};
  std::array<int, 1> b{32};
  ASSERT_TRUE(file.read_record(format, v, b));
  EXPECT_EQ(v, (std::array<std::int32_t, 2>{100000, 200000}));
}

// ---- positions ----

TEST(Positions, TabToColumnAndBack) {
  EXPECT_EQ(first_record("(T6,I2,T1,I2)\n12   34\n", 2), (V{34, 12}));
  EXPECT_EQ(first_record("(I4,TL2,I2)\n1234\n", 2), (V{1234, 34}));
  EXPECT_EQ(first_record("(I1,TR2,I1,2X,I1)\n1234567\n", 3), (V{1, 4, 7}));
}

TEST(Positions, TabPastTheEndReadsEmptyFields) {
  EXPECT_EQ(first_record("(T50,I3,I3)\n  1  2\n", 2), (V{0, 0}));
  EXPECT_EQ(first_record("(I2,99X,I2)\n 1 2\n", 2), (V{1, 0}));
}

TEST(Positions, TabLeftStopsAtTheFirstColumn) {
  EXPECT_EQ(first_record("(I2,TL100,I1)\n98\n", 2), (V{98, 9}));
}

TEST(Positions, ShortFieldThenTabLeftCountsFromTheFieldEnd) {
  // A field that runs past the end of the line moves the position its full width; the line is
  // as if blank beyond its end.
  EXPECT_EQ(first_record("(I10,TL3,I3)\n1234567\n", 2), (V{1234567, 0}));
  EXPECT_EQ(first_record("(I10,TL5,I2)\n1234567\n", 2), (V{1234567, 67}));
}

TEST(Positions, RepeatCountOf100000) {
  EXPECT_EQ(first_record("(100000I1)\n123\n", 3), (V{1, 2, 3}));
  EXPECT_EQ(first_record("(100000(I1))\n123\n", 3), (V{1, 2, 3}));
  EXPECT_EQ(first_record("(I1,100000(1X),TL99999,I1)\n1234\n", 2), (V{1, 3}));
  // Nested motions of 10^15 steps are folded, not walked.
  EXPECT_EQ(first_record("(I1,99999(99999(99999(1X))),T3,I1)\n1234\n", 2), (V{1, 3}));
}

TEST(Positions, LongLines) {
  std::string line(1000000, ' ');
  line.replace(999990, 5, "  -42");
  line.replace(0, 3, "  7");
  EXPECT_EQ(first_record("(I3,T999991,I5)\n" + line + "\n", 2), (V{7, -42}));
  // A field as wide as the line.
  std::string digits = std::string(999999, ' ') + "5";
  EXPECT_EQ(first_record("(I1000000)\n" + digits + "\n", 1), (V{5}));
}

// ---- the record-format line ----

TEST(FormatLine, HeldAs80Characters) {
  std::string long_line = "(2I5,I3)" + std::string(100, 'x');
  std::string held = file_of(long_line + "\n").read_format_line();
  EXPECT_EQ(held.size(), 80u);
  EXPECT_EQ(held, long_line.substr(0, 80));
  EXPECT_EQ(file_of("(I5)\n").read_format_line(), "(I5)" + std::string(76, ' '));
}

TEST(FormatLine, OnlyTheFirst80CharactersAreTheFormat) {
  // The closing parenthesis in column 81 is cut off.
  std::string cut = "(I2," + std::string(76, ' ') + "I3)";
  std::string message = read_error(cut + "\n 1  2\n", 2);
  expect_contains(message, "closing parenthesis is missing");
  // Junk after column 80 of a valid format does no harm.
  std::string fine = "(I2,I3)" + std::string(73, ' ') + "F5.2, 'x'";
  EXPECT_EQ(first_record(fine + "\n 1  2\n", 2), (V{1, 2}));
}

TEST(FormatLine, BlanksBeforeTheFormat) {
  EXPECT_EQ(first_record("     ( 2 I 3 )\n  1  2\n", 2), (V{1, 2}));
}

// ---- bad input ----

TEST(BadInput, EmptyFileEndsTheRunWithEndOfFile) {
  std::string message = error_of([] { file_of("", "empty.dat").read_format_line(); });
  expect_contains(message, "End of file");
  expect_contains(message, "\"empty.dat\"");
}

TEST(BadInput, InvalidFormatIsReportedWhenTheFirstRecordIsRead) {
  DataFile file = file_of("(I5,F5.2)\n    1  2.5\n");
  std::string format;
  EXPECT_EQ(error_of([&] { format = file.read_format_line(); }), "");
  std::array<std::int32_t, 2> v{};
  std::array<int, 2> b{16, 16};
  std::string message = error_of([&] { file.read_record(format, v, b); });
  EXPECT_EQ(message,
            "Format error in \"net.dat\", line 1: \"(I5,F5.2)\" is not a valid record format: "
            "\"F5.2\" is a real-number field, but only whole-number fields (Iw) are read.");
}

TEST(BadInput, InvalidFormatIsReportedEvenWithoutRecords) {
  expect_contains(read_error("2I5,I3\n", 3), "line 1");
}

TEST(BadInput, EachKindOfInvalidFormatNamesFileAndLine) {
  const char* formats[] = {"2I5,I3)", "((I5)",   "(I5))(", "(A3)",     "('text')", "(I0)",
                           "(0I5)",   "(T0,I5)", "(I)",    "(I5,,I5)", "(F5.2)"};
  for (const char* f : formats) {
    std::string message = read_error(std::string(f) + "\n    1\n", 1);
    if (std::string(f) == "(I5))(") {
      EXPECT_EQ(message, "") << f;  // text after the closing parenthesis is ignored
      continue;
    }
    expect_contains(message, "Format error in \"net.dat\", line 1: \"");
    expect_contains(message, "is not a valid record format");
  }
}

TEST(BadInput, FormatWithoutIntegerFieldIsRefused) {
  std::string message = read_error("(10X)\n1\n2\n", 3);
  expect_contains(message, "\"net.dat\", line 1");
  expect_contains(message, "no integer field");
}

TEST(BadInput, ReusedPartWithoutIntegerFieldIsRefused) {
  // One number per pass and a reused group that reads none: the record could never be filled.
  std::string message = read_error("(I5,2(1X))\n    1\n    2\n    3\n", 3);
  expect_contains(message, "\"net.dat\", line 1");
  expect_contains(message, "no integer field");
  // The same format is fine while a record needs no more than one pass gives.
  EXPECT_EQ(read_all("(I5,2(1X))\n    1\n    2\n", 1), (Rows{{1}, {2}}));
}

TEST(BadInput, TabInsideAFieldIsAnInputError) {
  std::string message = read_error("(3I5)\n    1    2\n1\t2\t3\n", 3);
  EXPECT_EQ(message,
            "Input error in \"net.dat\", line 3: \"1\\t2\\t3\" in columns 1-5 is not a whole "
            "number (a tab is not a blank; numbers in fixed columns are separated by blanks or "
            "commas).");
}

TEST(BadInput, LettersAndStraySignsAreInputErrors) {
  std::string message = read_error("(2I5)\n    1    2\n    3   x4\n", 2);
  EXPECT_EQ(message,
            "Input error in \"net.dat\", line 3: \"   x4\" in columns 6-10 is not a whole number.");
  expect_contains(read_error("(I5)\n 12-3\n", 1), "\" 12-3\" in columns 1-5");
  expect_contains(read_error("(I5)\n +-3\n", 1), "is not a whole number");
  expect_contains(read_error("(I5)\n 1.5\n", 1), "is not a whole number");
  expect_contains(read_error("(I5)\n   -\n", 1), "a sign without digits");
  expect_contains(read_error("(I5,I5)\n    1 1e3,\n", 2), "\" 1e3\" in columns 6-9");
}

TEST(BadInput, NumberTooWideForItsVariable) {
  std::string message = read_error("(I3,I6)\n  1 32768\n", 2, 16);
  EXPECT_EQ(message,
            "Input error in \"net.dat\", line 2: \" 32768\" in columns 4-9 does not fit in a "
            "16-bit number (-32768 to 32767).");
  expect_contains(read_error("(I7)\n -32769\n", 1, 16), "does not fit");
  expect_contains(read_error("(I12)\n  2147483648\n", 1, 32), "32-bit number");
  expect_contains(read_error("(I40)\n99999999999999999999999999999999999999\n", 1, 32),
                  "does not fit");
  // Each value has its own width: the network file's nodes are 32-bit, its value 16-bit.
  DataFile file = file_of("(3I7)\n  70000  70000  70000\n");
  std::string format = file.read_format_line();
  std::array<std::int32_t, 3> v{};
  std::array<int, 3> b{32, 32, 16};
  expect_contains(error_of([&] { file.read_record(format, v, b); }), "columns 15-21");
}

TEST(BadInput, TrimmedFileNameInMessages) {
  DataFile file = file_of("(I2)\n x\n", "attr.dat");
  EXPECT_EQ(file.name(), "attr.dat                ");
  std::string format = file.read_format_line();
  std::array<std::int32_t, 1> v{};
  std::array<int, 1> b{16};
  std::string message = error_of([&] { file.read_record(format, v, b); });
  expect_contains(message, "\"attr.dat\", line 2");
}

// ---- volume ----

TEST(Volume, HalfAMillionRecordsReadQuickly) {
  std::string text = "(2I5,I3)\n";
  text.reserve(text.size() + 500000 * 14);
  for (int k = 0; k < 500000; ++k) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%5d%5d%3d\n", k % 2000 + 1, (k * 7) % 2000 + 1, k % 3);
    text += buf;
  }
  auto begin = std::chrono::steady_clock::now();
  DataFile file = file_of(text);
  std::string format = file.read_format_line();
  std::array<std::int32_t, 3> v{};
  static constexpr std::array<int, 3> bits{32, 32, 16};
  long count = 0;
  long long sum = 0;
  while (file.read_record(format, v, bits)) {
    ++count;
    sum += v[0] + v[1] + v[2];
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_EQ(count, 500000);
  long long expected = 0;
  for (int k = 0; k < 500000; ++k) expected += k % 2000 + 1 + (k * 7) % 2000 + 1 + k % 3;
  EXPECT_EQ(sum, expected);
  EXPECT_LT(seconds, 5.0);  // well under a second in practice; generous for slow machines
}

}  // namespace
}  // namespace tarn
