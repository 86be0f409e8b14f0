#include "dialogue/block_display.h"

#include "tarnwick/classic/report.h"

namespace tarn {

void show_block_structure(const tarnwick::ClassicBlocking& blocking, std::ostream& screen) {
  constexpr int values_per_line = 8;
  for (int r = 1; r <= blocking.block_count; ++r) {
    for (int c = 1; c <= blocking.block_count; ++c) {
      screen << tarnwick::classic_int_field(blocking.type_of(r, c), 3);
      if (c % values_per_line == 0 || c == blocking.block_count) screen << '\n';
    }
  }
}

}  // namespace tarn
