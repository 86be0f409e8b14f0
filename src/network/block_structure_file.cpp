#include "network/block_structure_file.h"

#include "network/capacity.h"
#include "network/delimited_text.h"
#include "network/fatal_error.h"

namespace tarn {

std::vector<std::vector<int>> read_block_structure(std::istream& in, const std::string& file_name,
                                                   int block_count) {
  DelimitedReader reader(in, file_name, {Delimiter::blanks, '#', false});
  const auto blocks = static_cast<std::size_t>(std::max(block_count, 0));
  const std::string shape =
      std::to_string(block_count) + " rows of " + std::to_string(block_count) + " numbers";
  std::vector<std::vector<int>> rows;
  while (reader.next()) {
    const auto fields = reader.fields();
    if (rows.size() == blocks) {
      throw input_error(reader.position(1), "a row too many; the structure of " +
                                                std::to_string(block_count) + " blocks has " +
                                                shape + ".");
    }
    if (fields.size() != blocks) {
      const int column = static_cast<int>(std::min(fields.size(), blocks)) + 1;
      throw input_error(reader.position(column), "the row has " + std::to_string(fields.size()) +
                                                     " number(s); the structure of " +
                                                     std::to_string(block_count) + " blocks has " +
                                                     shape + ".");
    }
    std::vector<int>& row = rows.emplace_back();
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const auto value = whole_number(fields[k]);
      const int column = static_cast<int>(k) + 1;
      if (!value) {
        throw input_error(reader.position(column), shown(fields[k]) + " is not a whole number.");
      }
      if (*value < 0 || *value > max_block_types) {
        throw input_error(reader.position(column), "the block type " + std::to_string(*value) +
                                                       " is outside 0.." +
                                                       std::to_string(max_block_types) + ".");
      }
      row.push_back(static_cast<int>(*value));
    }
  }
  if (rows.size() < blocks) {
    throw input_error({file_name, reader.lines_read() + 1, 1},
                      "the file ends after " + std::to_string(rows.size()) +
                          " row(s); the structure of " + std::to_string(block_count) +
                          " blocks has " + shape + ".");
  }
  return rows;
}

}  // namespace tarn
