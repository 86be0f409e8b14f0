#pragma once
// A block structure: which block type each pair of blocks (row: the sender's block, column: the
// receiver's) belongs to. A matrix of block_count rows of block_count whole numbers within 0..16,
// separated by blanks or tabs; empty lines and lines beginning with # are skipped.

#include <istream>
#include <string>
#include <vector>

namespace tarn {

// rows[b - 1][c - 1]: the entry of blocks b and c. A wrong count of rows or entries, an entry
// that is not a whole number or is outside 0..16 ends the run with a message naming the line
// and column.
std::vector<std::vector<int>> read_block_structure(std::istream& in, const std::string& file_name,
                                                   int block_count);

}  // namespace tarn
