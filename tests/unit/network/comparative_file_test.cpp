// The comparative network file: read once, with the rules of a file read sender by sender.
#include "network/comparative_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "network/fatal_error.h"
#include "network/file_name.h"
#include "support/networks.h"

namespace tarn {
namespace {

using Grid = std::vector<std::vector<int>>;

ComparativeNetwork read(const Grid& records, int n) {
  std::string text = "(3I4)\n";
  char line[16];
  for (const auto& r : records)
    text.append(line, std::snprintf(line, sizeof line, "%4d%4d%4d\n", r[0], r[1], r[2]));
  DataFile file(std::make_unique<std::istringstream>(text), name_field("comp.dat"));
  return read_comparative_file(file, n);
}

TEST(ComparativeFile, RowsOfEverySender) {
  const std::vector<int> o(6, 0);
  const struct {
    const char* what;
    Grid records, expected;
  } cases[] = {
      {"value 0 first, negative value, self-pair, repeated pair (later wins)",
       {{3, 1, 0}, {2, 5, -3}, {2, 6, 0}, {2, 1, 4}, {4, 4, 7}, {4, 2, 1}, {4, 2, 9}, {4, 3, 0}},
       {o, {4, 0, 0, 0, -3, 0}, o, {0, 9, 0, 7, 0, 0}, o, o}},
      {"rows without records are zero",
       {{3, 1, 2}, {3, 6, 1}, {5, 5, 3}},
       {o, o, {2, 0, 0, 0, 0, 1}, o, {0, 0, 0, 0, 3, 0}, o}},
      {"descending file: only the first sender",
       {{4, 1, 1}, {4, 2, 2}, {2, 3, 3}, {1, 6, 4}},
       {o, o, o, {1, 2, 0, 0, 0, 0}, o, o}},
      {"the file ends after the last record",
       {{1, 2, 5}, {2, 2, 6}},
       {{0, 5, 0, 0, 0, 0}, {0, 6, 0, 0, 0, 0}, o, o, o, o}},
      {"receivers outside 1..n skipped",
       {{2, 9, 5}, {2, 0, 6}, {2, -1, 7}, {2, 3, 8}, {7, 1, 1}},
       {o, {0, 0, 8, 0, 0, 0}, o, o, o, o}},
      {"at most n records per sender (the skipped receivers count)",
       {{1, 9, 1}, {1, 8, 1}, {1, 7, 1}, {1, 6, 1}, {1, 5, 1}, {1, 4, 1}, {1, 3, 1}, {2, 1, 2}},
       {{0, 0, 0, 1, 1, 1}, {2, 0, 0, 0, 0, 0}, o, o, o, o}},
  };
  for (const auto& c : cases) EXPECT_EQ(test::dense_rows(read(c.records, 6)), c.expected) << c.what;
}

TEST(ComparativeFile, ReadingStopsWhereTheLastRowEnds) {
  // A malformed line after the records of the last sender is never read.
  DataFile file(std::make_unique<std::istringstream>("(3I4)\n   1   2   1\n   3   1   1\nxx\n"),
                name_field("comp.dat"));
  EXPECT_EQ(test::dense_rows(read_comparative_file(file, 2)), (Grid{{0, 1}, {0, 0}}));
  // Without a record of non-zero value the file is refused.
  EXPECT_THROW(read({{1, 2, 0}}, 3), FatalError);
}

}  // namespace
}  // namespace tarn
