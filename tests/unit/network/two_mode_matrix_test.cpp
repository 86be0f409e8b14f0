// A two-mode network's dyadic covariate as ergm takes it, an N1 x N2 matrix: plain or labelled,
// each cell the value of the dyad (first-mode row, second-mode column); a square matrix still
// read as before; and the shapes and labels refused.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "network/adjacency_matrix_file.h"
#include "network/fatal_error.h"

namespace tarn {
namespace {

// Nodes a, b, c (the first mode) and w, x, y, z (the second).
const NodeLabels labels({"a", "b", "c", "w", "x", "y", "z"});

std::optional<DyadValues> read(const std::string& text, int first_mode = 3) {
  std::istringstream in(text);
  return read_adjacency_matrix(in, "m.csv", NetworkFormat::csv, labels, 7, first_mode);
}

TEST(TwoModeMatrix, EachCellIsTheDyadOfItsRowAndColumn) {
  const std::vector<std::string> files = {
      "1,0,2,0\n0,0,0,3\n4,0,0,0\n",                  // plain, nodes in order
      ",w,x,y,z\na,1,0,2,0\nb,0,0,0,3\nc,4,0,0,0\n",  // write.csv's labels
      "y,z,w,x\nc,0,0,4,0\na,2,0,1,0\nb,0,3,0,0\n",   // labels in any order
  };
  for (const std::string& file : files) {
    const std::optional<DyadValues> values = read(file);
    ASSERT_TRUE(values.has_value()) << file;
    for (int i = 1; i <= 3; ++i) {
      for (int j = 4; j <= 7; ++j) {
        const double want = (i == 1 && j == 4)   ? 1.0
                            : (i == 1 && j == 6) ? 2.0
                            : (i == 2 && j == 7) ? 3.0
                            : (i == 3 && j == 4) ? 4.0
                                                 : 0.0;
        EXPECT_EQ(values->at(i, j), want) << file << " (" << i << ", " << j << ")";
      }
    }
  }
}

TEST(TwoModeMatrix, ASquareMatrixAndOtherShapes) {
  // 7 x 7 is read as the square matrix of a one-mode network's.
  std::string square;
  for (int r = 1; r <= 7; ++r) {
    for (int c = 1; c <= 7; ++c)
      square += std::string(c > 1 ? "," : "") + (r == 2 && c == 5 ? "9" : "0");
    square += "\n";
  }
  ASSERT_TRUE(read(square).has_value());
  EXPECT_EQ(read(square)->at(2, 5), 9.0);
  // 3 x 4 is no matrix of a one-mode network, nor 4 x 3 of this one (an edge list, then).
  EXPECT_FALSE(read("1,0,2,0\n0,0,0,3\n4,0,0,0\n", 0).has_value());
  EXPECT_FALSE(read("1,0,2\n0,0,0\n4,0,0\n0,0,0\n").has_value());
  // A second mode of 3 nodes: its rows could be an edge list's.
  std::istringstream in("1,0,2\n0,0,0\n4,0,0\n0,0,0\n");
  EXPECT_FALSE(read_adjacency_matrix(in, "m.csv", NetworkFormat::csv, labels, 7, 4).has_value());
}

TEST(TwoModeMatrix, RowsOfTheSecondModeOrColumnsOfTheFirstAreInputErrors) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {",w,x,y,z\nw,1,0,2,0\nb,0,0,0,3\nc,4,0,0,0\n", "\"w\" is a node of the second mode"},
      {",a,x,y,z\na,1,0,2,0\nb,0,0,0,3\nc,4,0,0,0\n", "a column names a node of the first mode"},
      {",w,x,y,z\na,1,0,2,0\nb,0,q,0,3\nc,4,0,0,0\n", "\"q\" is no number"},
  };
  for (const auto& [file, says] : bad) {
    try {
      read(file);
      ADD_FAILURE() << file << " was read";
    } catch (const FatalError& e) {
      EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("m.csv"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace tarn
