#include "model/block_display.h"

#include "report/fixed_field.h"

namespace tarn {

void show_block_structure(const Blocks& blocks, std::ostream& screen) {
  constexpr int values_per_line = 8;
  for (int r = 1; r <= blocks.block_count; ++r) {
    for (int c = 1; c <= blocks.block_count; ++c) {
      screen << int_field(blocks.block_type(r, c), 3);
      if (c % values_per_line == 0 || c == blocks.block_count) screen << '\n';
    }
  }
}

}  // namespace tarn
