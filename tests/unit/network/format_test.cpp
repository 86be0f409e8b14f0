#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "network/data_file.h"
#include "network/fatal_error.h"
#include "network/file_name.h"
#include "network/line_reader.h"
#include "network/record_format.h"

namespace tarn {
namespace {

using Rows = std::vector<std::vector<std::int32_t>>;

DataFile file_of(const std::string& text, const std::string& name = "net.dat") {
  return DataFile(std::make_unique<std::istringstream>(text), name_field(name));
}

Rows read_all(const std::string& text, int count, const std::vector<int>& bits) {
  DataFile file = file_of(text);
  std::string format = file.read_format_line();
  std::vector<std::int32_t> values(static_cast<std::size_t>(count));
  Rows rows;
  while (file.read_record(format, values, bits)) rows.push_back(values);
  return rows;
}

const std::string mb_blanks(1 << 20, ' ');

TEST(Reading, Table) {
  struct Case {
    std::string text;
    int count;
    Rows expected;
    std::vector<int> bits = {32};
  };
  // clang-format off
  const Case cases[] = {
      {"(2I5,I3.2)\n   12  345  1\n", 3, {{12, 345, 1}}}, {"(3I2)\n-1+2-3\n", 3, {{-1, 2, -3}}},
      {"   ( 2 i 1 0 , t l 3 , b z , I 2 . 1 )\n         1       342\n", 3, {{1, 342, 34}}},
      {"(I5) source target F5.2 'anything' ((\n    1\n", 1, {{1}}},
      {"     ( 2 I 3 )\n  1  2\n", 2, {{1, 2}}},
      {"(2I5,I3)" + std::string(1 << 20, 'x') + "\n    1    2  1\n", 3, {{1, 2, 1}}},
      // commas end fields early; a field that ends before its comma leaves it to the next one
      {"(3I10)\n1,2,3\n", 3, {{1, 2, 3}}}, {"(3I10)\n  -17 ,+4,   9\n", 3, {{-17, 4, 9}}},
      {"(3I5)\n7,,8\n", 3, {{7, 0, 8}}}, {"(I1,I1,I1)\n1,2\n", 3, {{1, 0, 2}}},
      // blank modes: BN at the start of every record, BZ only on real characters of the line
      {"(I5)\n 1 2 \n", 1, {{12}}}, {"(BZ,I5)\n 1 2 \n", 1, {{1020}}}, {"(I4)\n  -3\n", 1, {{-3}}},
      {"(I4)\n- 3 \n", 1, {{-3}}}, {"(BZ,I4)\n- 3 \n", 1, {{-30}}},
      {"(I3,BZ,I3,BN,I3)\n1 1 1 1 1\n1 1 1 1 1\n", 3, {{11, 10, 11}, {11, 10, 11}}},
      {"(I3,BZ,I3)\n1 1 1 \n1 1 1 \n", 2, {{11, 10}, {11, 10}}}, {"(BZ,I5)\n12\n", 1, {{12}}},
      {"(3I3)\n  5     7\n", 3, {{5, 0, 7}}}, {"(BZ,3I3)\n  5     7\n", 3, {{5, 0, 7}}},
      // short lines read zeros; the line end of a short field is not used up
      {"(2I5,I3)\n    3    4\n", 3, {{3, 4, 0}}}, {"(2I5,I3)\n\n", 3, {{0, 0, 0}}},
      {"(I5,I5)\n 12\n", 2, {{12, 0}}},
      // limits of the variable width; missing widths count as 32 bits
      {"(2I7)\n  32767 -32768\n", 2, {{32767, -32768}}, {16, 16}},
      {"(2I12)\n  2147483647 -2147483648\n", 2, {{2147483647, INT32_MIN}}},
      {"(I30)\n000000000000000000000000000042\n", 1, {{42}}, {16}},
      {"(2I12)\n      100000      200000\n", 2, {{100000, 200000}}, {32}},
      // records: extra fields unread, fewer fields continue on the next lines, reuse of the
      // last outermost group with its repeat count, or of the whole format without groups
      {"(5I3)\n  1  2  3  4  5\n  6  7  8\n", 2, {{1, 2}, {6, 7}}},
      {"(I3,I3)\n  1 abc\n  2 x\n", 1, {{1}, {2}}},
      {"(I5)\n    1\n    2\n    3\n    4\n    5\n    6\n", 3, {{1, 2, 3}, {4, 5, 6}}},
      {"(2I3)\n  1  2\n  3  4\n  5  6\n  7  8\n", 3, {{1, 2, 3}, {5, 6, 7}}},
      {"(I2,2(I3,1X))\n 1  2   3   99\n  4   5   99\n  6   7   99\n", 7, {{1, 2, 3, 4, 5, 6, 7}}, {16}},
      {"(I1,2(I1,2(I2)))\n1 2 3 4 5 6 7 8\n9 8 7 6 5 4 3 2\n", 10, {{1, 0, 2, 3, 4, 5, 6, 9, 8, 7}}},
      {"(I2,1X,I2)\n 1  2\n 3  4\n 5  6\n", 5, {{1, 2, 3, 4, 5}}},
      {"(I5,2(1X))\n    1\n    2\n", 1, {{1}, {2}}},
      {"(I5/I5,/,I5//)\n    1\n    2\n    3\n", 3, {{1, 2, 3}}},
      {"(I2/I2)\n 1 9\n 2 9\n 3\n 4\n", 2, {{1, 2}, {3, 4}}},
      {"(I2//I2)\n 1\n 8\n 2\n", 2, {{1, 2}}},
      {"(2I5,I3)", 3, {}},  // end of file inside a record
      {"(I5)\n    1\n    2\n    3\n    4\n", 3, {{1, 2, 3}}}, {"(BZ,I4)\r\n  5\r\n", 1, {{5}}},
      // positions: Tc, TL (stopping at column 1), TR, nX, past the line end, after a short field
      {"(T6,I2,T1,I2)\n12   34\n", 2, {{34, 12}}}, {"(I4,TL2,I2)\n1234\n", 2, {{1234, 34}}},
      {"(I1,TR2,I1,2X,I1)\n1234567\n", 3, {{1, 4, 7}}}, {"(I2,99X,I2)\n 1 2\n", 2, {{1, 0}}},
      {"(I2,TL100,I1)\n98\n", 2, {{98, 9}}}, {"(I10,TL3,I3)\n1234567\n", 2, {{1234567, 0}}},
      {"(I10,TL5,I2)\n1234567\n", 2, {{1234567, 67}}},
      // huge repeat counts; nested moves of 10^15 steps are folded, not walked
      {"(100000I1)\n123\n", 3, {{1, 2, 3}}}, {"(I1,100000(1X),TL99999,I1)\n1234\n", 2, {{1, 3}}},
      {"(I1,99999(99999(99999(1X))),T3,I1)\n1234\n", 2, {{1, 3}}},
      {"(I1,999999999(999999999(999999999(999999999(9X)))),I1)\n1\n", 2, {{1, 0}}},
      {"(999999999(999999999(999999999(I1))))\n123\n", 3, {{1, 2, 3}}},
      // folded moves behave like their repetition: left moves stop at the first column
      {"(I1,3(TL3,1X),I1)\n12345\n", 2, {{1, 2}}}, {"(I1,5(2X,TL1),I1)\n1234567\n", 2, {{1, 7}}},
      {"(I4,3(T5,TL3),I1)\n123456\n", 2, {{1234, 2}}},
      // lines of a megabyte and up to the longest line allowed
      {"(I3,T999991,I5)\n  7" + std::string(999987, ' ') + "  -42     \n", 2, {{7, -42}}},
      {"(I1000000)\n" + std::string(999999, ' ') + "5\n", 1, {{5}}},
      {"(2I5,I3)\n    1    2  1" + mb_blanks + "\n    2    1  1\n", 3, {{1, 2, 1}, {2, 1, 1}}},
      {"(I5,2I3)\n    1  2  3" + std::string(1 << 20, '9') + "\n", 3, {{1, 2, 3}}, {16}},
      {"(2I5,I3)\n    1    2  1" + std::string(max_line_length - 13, ' ') + "\n", 3, {{1, 2, 1}}}};
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(read_all(c.text, c.count, c.bits), c.expected) << c.text.substr(0, 80);
  }
}

TEST(Reading, ErrorsNameFileLineAndField) {
  struct Case {
    std::string text;
    int count;
    std::string where;
    std::string part;
    std::vector<int> bits = {32};
  };
  // clang-format off
  const Case cases[] = {
      // a reused group without an integer field could never fill the record
      {"(I5,2(1X))\n    1\n    2\n    3\n", 3, "\"net.dat\", line 1", "no integer field"},
      {"(I5)\n 12-3\n", 1, "\"net.dat\", line 2", "\" 12-3\" in columns 1-5"},
      {"(I5)\n   -\n", 1, "\"net.dat\", line 2", "a sign without digits"},
      {"(3I7)\n  70000  70000  70000\n", 3, "line 2", "columns 15-21", {32, 32, 16}},
      {"(I1048576,2I3)\n" + std::string(1 << 20, '7') + "  2  1\n", 3,
       "Input error in \"net.dat\", line 2: \"7777",
       "...\" in columns 1-1048576 does not fit in a 32-bit number"},
      {"(2I5,I3)\n    1    2  1\n" + std::string(max_line_length + 1, ' ') + "\n", 3,
       "Input error in \"net.dat\", line 3: ", "the line is longer than 16777216 characters."}};
  // clang-format on
  for (const Case& c : cases) {
    std::string message = "(no error)";
    try {
      read_all(c.text, c.count, c.bits);
    } catch (const FatalError& e) {
      message = e.what();
    }
    EXPECT_NE(message.find(c.where), std::string::npos) << message;
    EXPECT_NE(message.find(c.part), std::string::npos) << message;
    EXPECT_LT(message.size(), 250u) << message;
  }
}

TEST(Reading, LineNumbersNamesAndTheHeldFormatLine) {
  DataFile file = file_of("(I2)\n 1\n", "attr.dat");
  EXPECT_EQ(file.name(), "attr.dat                ");
  EXPECT_EQ(file.line_number(), 0);
  std::int32_t v[1] = {};
  int b[1] = {16};
  std::string format = file.read_format_line();
  EXPECT_EQ(file.line_number(), 1);
  ASSERT_TRUE(file.read_record(format, v, b));
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(file.where(), "\"attr.dat\", line 2");
  EXPECT_FALSE(file.read_record(format, v, b));
  DataFile changing = file_of("(I2)\n123456\n123456\n123456\n");
  changing.read_format_line();
  b[0] = 32;
  for (const char* f : {"(I2)", "(2X,I3)", "(I2)"}) ASSERT_TRUE(changing.read_record(f, v, b));
  EXPECT_EQ(v[0], 12);
  std::string long_line = "(2I5,I3)" + std::string(100, 'x');
  EXPECT_EQ(file_of(long_line + "\n").read_format_line(), long_line.substr(0, 80));
  EXPECT_EQ(file_of("(I5)\r\n").read_format_line(), "(I5)" + std::string(76, ' '));
}

TEST(FormatSyntax, RefusedFormatsSayWhy) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"        ", "empty"}, {"(A3,I5)", "\"A3\" is a text field"},
      {"(I5,'text',I5)", "literal text"}, {"(I5,3Habc)", "literal text"},
      {"(I5,:)", "is not an item"}, {"(I5\t,I5)", "comma is missing"},
      {"(I0)", "\"I0\": the field width must be at least 1"}, {"(TL0,I5)", "at least 1"},
      {"(0X,I5)", "at least 1"}, {"(I)", "\"I\" has no field width"},
      {"(I5.)", "a number must follow the point"}, {"(X,I5)", "\"X\" has no count"},
      {"(T,I5)", "has no column"}, {"(TR,I5)", "has no count"},
      {"(2T5,I5)", "repeat count may stand only before I or a group"}, {"(2BZ,I5)", "repeat count"},
      {"(I5,,I5)", "item is missing before a comma"},
      {"(I5,)", "item is missing after the last comma"},
      {"(I5 I5)", "comma is missing before \"I5\""}, {"(I1234567890)", "too large"},
      {"()", "no integer field"},
      {"(3(1X))", "no integer field"}};
  // clang-format on
  for (const auto& [text, part] : cases) {
    std::string problem;
    EXPECT_FALSE(RecordFormat::parse(text, problem).has_value()) << text;
    EXPECT_NE(problem.find(part), std::string::npos) << text << ": " << problem;
  }
}

}  // namespace
}  // namespace tarn
