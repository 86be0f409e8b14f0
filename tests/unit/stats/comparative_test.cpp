// The comparative network stream: init, and column 16 filled row by row as the senders go.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "input/comparative_file.h"
#include "stats/calcfr.h"
#include "store/fatal_error.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::World;
using Rows = std::vector<std::vector<int>>;

// A comparative file with the format (3I4) and one record i, j, value per line.
std::string comparative_text(const Rows& records) {
  std::string text = "(3I4)\n";
  for (const auto& r : records) {
    char line[32];
    std::snprintf(line, sizeof line, "%4d%4d%4d\n", r[0], r[1], r[2]);
    text += line;
  }
  return text;
}

// One pass: init, then calcfr for every sender; column 16 of each row as the pass leaves it.
Rows run_pass(World& w) {
  init(w.rec, w.io);
  Rows rows;
  for (int i = 1; i <= w.n(); ++i) {
    for (int j = 1; j <= w.n(); ++j) w.rec.stats.change_stat(j, 16) = 99;  // stale, to be cleared
    calcfr(w.rec, w.io, static_cast<int16>(i));
    rows.emplace_back();
    for (int j = 1; j <= w.n(); ++j) rows.back().push_back(w.stat(j, 16));
  }
  return rows;
}

const test::LinkList chain = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}};
const std::vector<int> zero(6, 0);

TEST(Comparative, ColumnSixteenOverTwoPasses) {
  struct Case {
    const char* what;
    Rows records;
    Rows expected;
  };
  const Case cases[] = {
      {"value 0 first, negative value, self-pair, repeated pair (later wins)",
       {{3, 1, 0}, {2, 5, -3}, {2, 6, 0}, {2, 1, 4}, {4, 4, 7}, {4, 2, 1}, {4, 2, 9}, {4, 3, 0}},
       {zero, {4, 0, 0, 0, -3, 0}, zero, {0, 9, 0, 7, 0, 0}, zero, zero}},
      {"rows without records are zero",
       {{3, 1, 2}, {3, 6, 1}, {5, 5, 3}},
       {zero, zero, {2, 0, 0, 0, 0, 1}, zero, {0, 0, 0, 0, 3, 0}, zero}},
      {"descending file: only the first sender",
       {{4, 1, 1}, {4, 2, 2}, {2, 3, 3}, {1, 6, 4}},
       {zero, zero, zero, {1, 2, 0, 0, 0, 0}, zero, zero}},
      {"stream ends after the last record",
       {{1, 2, 5}, {2, 2, 6}},
       {{0, 5, 0, 0, 0, 0}, {0, 6, 0, 0, 0, 0}, zero, zero, zero, zero}},
      {"receivers outside 1..n skipped",
       {{2, 9, 5}, {2, 0, 6}, {2, -1, 7}, {2, 3, 8}, {7, 1, 1}},
       {zero, {0, 0, 8, 0, 0, 0}, zero, zero, zero, zero}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    World w(chain);
    w.select_types({16});
    w.open_comparative(comparative_text(c.records));
    EXPECT_EQ(run_pass(w), c.expected);
    EXPECT_EQ(run_pass(w), c.expected);  // the next init reads the file again from its start
  }
}

TEST(Comparative, InitWithoutNonZeroRecordEndsTheRun) {
  for (const std::string& text :
       {comparative_text({{1, 2, 0}, {3, 4, 0}}), std::string("(3I4)\n"), std::string()}) {
    World w(chain);
    w.select_types({16});
    w.open_comparative(text, "x.dat");
    try {
      init(w.rec, w.io);
      ADD_FAILURE() << "init must end the run: " << text;
    } catch (const FatalError& e) {
      if (text.size() > 6) {
        EXPECT_EQ(std::string(e.what()),
                  "End of file in comparative file \"x.dat\": it holds no "
                  "link with a non-zero value.");
      }
    }
  }
}

}  // namespace
}  // namespace tarn
