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

using test::LinkList;
using test::World;

struct Rec {
  int i, j, v;
};

// A comparative file with the format (3I4) and one record per line.
std::string comparative_text(const std::vector<Rec>& records) {
  std::string text = "(3I4)\n";
  for (const auto& r : records) {
    char line[32];
    std::snprintf(line, sizeof line, "%4d%4d%4d\n", r.i, r.j, r.v);
    text += line;
  }
  return text;
}

// Six nodes: the chain 1->2->...->6.
const LinkList six_links = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}};

// One pass: init, then calcfr for every sender; column 16 of each row as the pass leaves it.
std::vector<std::vector<int>> run_pass(World& w) {
  init(w.rec, w.io);
  std::vector<std::vector<int>> rows;
  for (int i = 1; i <= w.n(); ++i) {
    // A stale value from an earlier row must be cleared.
    for (int j = 1; j <= w.n(); ++j) w.rec.stats.change_stat(j, 16) = 99;
    calcfr(w.rec, w.io, static_cast<int16>(i));
    std::vector<int> row;
    for (int j = 1; j <= w.n(); ++j) row.push_back(w.stat(j, 16));
    rows.push_back(row);
  }
  return rows;
}

using Rows = std::vector<std::vector<int>>;

TEST(Comparative, ZeroValuesNegativeValuesSelfPairsAndRepeats) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({
      {3, 1, 0},   // value 0 before the first record
      {2, 5, -3},  // negative values are values
      {2, 6, 0},
      {2, 1, 4},
      {4, 4, 7},  // the self-pair
      {4, 2, 1},
      {4, 2, 9},  // the later record of the pair wins
      {4, 3, 0},
  }));
  const Rows expected = {
      {0, 0, 0, 0, 0, 0}, {4, 0, 0, 0, -3, 0}, {0, 0, 0, 0, 0, 0},
      {0, 9, 0, 7, 0, 0}, {0, 0, 0, 0, 0, 0},  {0, 0, 0, 0, 0, 0},
  };
  EXPECT_EQ(run_pass(w), expected);
  // The next pass reads the file again from its start.
  EXPECT_EQ(run_pass(w), expected);
}

TEST(Comparative, InitPositionsOnTheFirstNonZeroRecord) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({{1, 2, 0}, {0, 0, 0}, {3, 4, 5}, {3, 5, 6}}));
  init(w.rec, w.io);
  EXPECT_EQ(w.rec.compar.compar_i, 3);
  EXPECT_EQ(w.rec.compar.compar_j, 4);
  EXPECT_EQ(w.rec.compar.compar_value, 5);
  EXPECT_EQ(w.rec.compar.compar_format.size(), 80u);
  EXPECT_EQ(w.rec.compar.compar_format.substr(0, 6), "(3I4) ");
}

TEST(Comparative, RowsBeforeTheFirstSenderAreZero) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({{3, 1, 2}, {3, 6, 1}, {5, 5, 3}}));
  const Rows expected = {
      {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 1},
      {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 3, 0}, {0, 0, 0, 0, 0, 0},
  };
  EXPECT_EQ(run_pass(w), expected);
}

TEST(Comparative, DescendingFileUsesOnlyTheFirstSender) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({{4, 1, 1}, {4, 2, 2}, {2, 3, 3}, {1, 6, 4}}));
  const Rows expected = {
      {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
      {1, 2, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
  };
  EXPECT_EQ(run_pass(w), expected);
}

TEST(Comparative, StreamExhaustedAfterTheLastRecord) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({{1, 2, 5}, {2, 2, 6}}));
  const Rows expected = {
      {0, 5, 0, 0, 0, 0}, {0, 6, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
  };
  EXPECT_EQ(run_pass(w), expected);
  EXPECT_EQ(w.rec.compar.compar_value, 0);  // exhausted
  EXPECT_EQ(run_pass(w), expected);
}

TEST(Comparative, ReceiverOutsideTheNodesIsSkipped) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({{2, 9, 5}, {2, 0, 6}, {2, -1, 7}, {2, 3, 8}, {7, 1, 1}}));
  const Rows rows = run_pass(w);
  EXPECT_EQ(rows[1], (std::vector<int>{0, 0, 8, 0, 0, 0}));
  for (int r : {0, 2, 3, 4, 5})
    EXPECT_EQ(rows[static_cast<std::size_t>(r)], std::vector<int>(6, 0));
}

TEST(Comparative, AtMostNRecordsPerSender) {
  World w(LinkList{{1, 2}, {2, 3}});
  w.select_types({16});
  // Four records of sender 1 with n = 3: the fourth is passed over.
  w.open_comparative(comparative_text({{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 1, 9}, {2, 1, 5}}));
  const Rows expected = {{1, 2, 3}, {5, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(run_pass(w), expected);
}

TEST(Comparative, WithOtherTypesTheStreamStillAdvances) {
  World w(six_links);
  w.select_types({2, 6, 16});
  w.open_comparative(comparative_text({{1, 6, 1}, {6, 1, 2}}));
  const Rows rows = run_pass(w);
  EXPECT_EQ(rows[0], (std::vector<int>{0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(rows[5], (std::vector<int>{2, 0, 0, 0, 0, 0}));
}

TEST(Comparative, InitWithoutNonZeroRecordEndsTheRun) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative(comparative_text({{1, 2, 0}, {3, 4, 0}}), "x.dat");
  try {
    init(w.rec, w.io);
    FAIL() << "init must end the run";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()),
              "End of file in comparative file \"x.dat\": it holds no link with a non-zero value.");
  }
}

TEST(Comparative, InitOnAFileWithOnlyTheFormatLineEndsTheRun) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative("(3I4)\n", "only.dat");
  EXPECT_THROW(init(w.rec, w.io), FatalError);
}

TEST(Comparative, InitOnAnEmptyFileEndsTheRun) {
  World w(six_links);
  w.select_types({16});
  w.open_comparative("", "empty.dat");
  EXPECT_THROW(init(w.rec, w.io), FatalError);
}

TEST(Comparative, InitDoesNothingWithoutTypeSixteen) {
  World w(six_links);
  w.select_types({2});
  init(w.rec, w.io);  // no file open: nothing is read
  EXPECT_EQ(w.rec.compar.compar_value, 0);
}

}  // namespace
}  // namespace tarn
