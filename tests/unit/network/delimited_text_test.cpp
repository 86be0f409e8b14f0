// Delimited records: CSV, TSV and blank-separated fields, with the line each record begins on.
#include "network/delimited_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "network/fatal_error.h"

namespace tarn {
namespace {

struct Record {
  long line = 0;
  std::vector<std::string> fields;
  bool operator==(const Record&) const = default;
};

std::vector<Record> records(const std::string& text, DelimitedSyntax syntax) {
  std::istringstream in(text);
  DelimitedReader reader(in, "t.txt", syntax);
  std::vector<Record> out;
  while (reader.next()) {
    out.push_back({reader.line(), {reader.fields().begin(), reader.fields().end()}});
  }
  return out;
}

std::string error_of(const std::string& text, DelimitedSyntax syntax) {
  try {
    records(text, syntax);
  } catch (const FatalError& e) {
    return e.what();
  }
  return "accepted";
}

constexpr DelimitedSyntax csv{Delimiter::comma};
constexpr DelimitedSyntax tsv{Delimiter::tab};
constexpr DelimitedSyntax blank{Delimiter::blanks, '#'};
constexpr DelimitedSyntax line_bound{Delimiter::blanks, '%', false};

TEST(DelimitedText, FieldsAndTheLineEachRecordBeginsOn) {
  const struct {
    const char* what;
    DelimitedSyntax syntax;
    std::string text;
    std::vector<Record> expected;
  } cases[] = {
      {"plain", csv, "a,b,1\nc,d,2\n", {{1, {"a", "b", "1"}}, {2, {"c", "d", "2"}}}},
      {"byte-order mark and CRLF",
       csv,
       "\xEF\xBB\xBF"
       "a,b\r\nc,d\r\n",
       {{1, {"a", "b"}}, {2, {"c", "d"}}}},
      {"quoted comma and doubled quotes",
       csv,
       "\"a,1\",\"say \"\"hi\"\"\"\n",
       {{1, {"a,1", "say \"hi\""}}}},
      {"line end inside quotes",
       csv,
       "\"a\r\nb\",c\nd,e\n",
       {{1, {"a\r\nb", "c"}}, {3, {"d", "e"}}}},
      {"empty and blank lines skipped",
       csv,
       "\n\na,b\n \t\r\n\nc,d",
       {{3, {"a", "b"}}, {6, {"c", "d"}}}},
      {"empty fields", csv, ",a,\n", {{1, {"", "a", ""}}}},
      {"blanks trimmed outside quotes only", csv, " a , \" b \" ,\tc\n", {{1, {"a", " b ", "c"}}}},
      {"a quote inside a field is a character", csv, "5'11\",x\n", {{1, {"5'11\"", "x"}}}},
      {"text after the closing quote is kept", csv, "\"ab\"cd,e\n", {{1, {"abcd", "e"}}}},
      {"quoted field at the end of the data", csv, "a,\"b\"", {{1, {"a", "b"}}}},
      {"no comments in csv", csv, "#a,b\n", {{1, {"#a", "b"}}}},
      {"a carriage return before a quote is text",
       csv,
       "\r\"a,b\",c\n",
       {{1, {"\r\"a", "b\"", "c"}}}},
      {"only a byte-order mark", csv, "\xEF\xBB\xBF", {}},
      {"tsv: tabs separate, spaces trimmed",
       tsv,
       "a b\t c,d \t\"e\tf\"\n",
       {{1, {"a b", "c,d", "e\tf"}}}},
      {"tsv: empty field", tsv, "a\t\tb\r\n", {{1, {"a", "", "b"}}}},
      {"blank: runs of blanks, comments",
       blank,
       "# c\n  a \t b   \"c d\"\n #x\n e f\n",
       {{2, {"a", "b", "c d"}}, {4, {"e", "f"}}}},
      {"blank: an empty quoted field", blank, "a \"\" b\n", {{1, {"a", "", "b"}}}},
      {"blank: a quoted line end", blank, "\"a\nb\" c\nd\n", {{1, {"a\nb", "c"}}, {3, {"d"}}}},
      {"a comment with an open quote", line_bound, "% it's \"open\n1 2\n", {{2, {"1", "2"}}}},
  };
  for (const auto& c : cases) EXPECT_EQ(records(c.text, c.syntax), c.expected) << c.what;
}

TEST(DelimitedText, RecordsAcrossAndLongerThanTheBuffer) {
  // 40000 short rows, a quoted field of 700000 characters with doubled quotes and line ends,
  // then more rows: the reader refills and grows its buffer in the middle of records.
  std::string text;
  std::vector<Record> expected;
  long line = 1;
  const auto row = [&](int k) {
    text += std::to_string(k) + ",\"q\"\"" + std::to_string(k) + "\"\n";
    expected.push_back({line++, {std::to_string(k), "q\"" + std::to_string(k)}});
  };
  for (int k = 0; k < 40000; ++k) row(k);
  std::string big;
  for (int k = 0; k < 100000; ++k) big += k % 7 == 0 ? "\"\"\n" : "abcdef";
  // Each doubled quote stands for one.
  std::string inside;
  for (std::size_t k = 0; k < big.size(); ++k) {
    inside.push_back(big[k]);
    if (big[k] == '"') ++k;
  }
  text += "x,\"" + big + "\"\n";
  expected.push_back({line, {"x", inside}});
  line += 1 + static_cast<long>(std::count(big.begin(), big.end(), '\n'));
  for (int k = 0; k < 40000; ++k) row(k);
  EXPECT_EQ(records(text, csv), expected);
}

TEST(DelimitedText, AnOpenQuoteNamesTheLineWhereItsFieldBegins) {
  const struct {
    DelimitedSyntax syntax;
    std::string text;
    const char* expected;
  } cases[] = {
      {csv, "a,b\nc,\"d\ne,f\n", "\"t.txt\", line 2: the quoted field"},
      {csv, "\"x\ny\",1\nz,\"w\n", "\"t.txt\", line 3: the quoted field"},
      {tsv, "a\t\"b", "\"t.txt\", line 1: the quoted field"},
      {blank, "# \"\n1 2\n3 \"4\n\n", "\"t.txt\", line 3: the quoted field"},
      {line_bound, "1 \"abc\n2 \"x\"\n",
       "\"t.txt\", line 1: the quoted field that begins on this "
       "line has no closing quote on the line."},
      // Open past the longest record (16 MiB): still the line of the field.
      {csv, "1,2\n3,\"" + std::string(std::size_t{1} << 24, 'x'), "\"t.txt\", line 2: the quoted"},
  };
  for (const auto& c : cases) {
    const std::string message = error_of(c.text, c.syntax);
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
  }
}

TEST(DelimitedText, WholeNumbers) {
  const struct {
    const char* text;
    std::optional<std::int64_t> value;
  } cases[] = {
      {"0", 0},   {"17", 17},   {"-3", -3},  {"+4", 4},
      {"007", 7}, {"2.0", 2},   {"2.", 2},   {"1000000000000000", 1000000000000000},
      {"", {}},   {"-", {}},    {"2.5", {}}, {"1e3", {}},
      {" 1", {}}, {"1 ", {}},   {".0", {}},  {"10000000000000000", {}},
      {"x", {}},  {"0x10", {}}, {"1,5", {}}, {"--1", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(whole_number(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace tarn
