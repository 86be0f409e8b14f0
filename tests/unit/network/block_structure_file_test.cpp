// Block structures: a square matrix of block types.
#include "network/block_structure_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarn {
namespace {

TEST(BlockStructureFile, MatricesWithCommentsAndBlanks) {
  const struct {
    std::string text;
    int blocks;
    std::vector<std::vector<int>> rows;
  } cases[] = {
      {"1 2 0\n3 4 16\n0 0 1\n", 3, {{1, 2, 0}, {3, 4, 16}, {0, 0, 1}}},
      {"# structure\r\n\r\n 1\t2\r\n  # between\r\n2   1 \r\n", 2, {{1, 2}, {2, 1}}},
      {"5", 1, {{5}}},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    EXPECT_EQ(read_block_structure(in, "blocks.txt", c.blocks), c.rows) << c.text;
  }
}

}  // namespace
}  // namespace tarn
