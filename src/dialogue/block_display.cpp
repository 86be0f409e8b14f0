#include "dialogue/block_display.h"

#include "report/fixed_field.h"

namespace tarn {

void show_block_structure(const Blocking& blocking, std::ostream& screen) {
  constexpr int values_per_line = 8;
  for (int r = 1; r <= blocking.block_count; ++r) {
    for (int c = 1; c <= blocking.block_count; ++c) {
      screen << int_field(blocking.structure(r, c), 3);
      if (c % values_per_line == 0 || c == blocking.block_count) screen << '\n';
    }
  }
}

}  // namespace tarn
