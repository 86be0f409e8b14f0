#include "model/group_dialogue.h"

#include <cstdint>
#include <vector>

#include "model/block_display.h"
#include "model/parameter_input.h"
#include "report/fixed_field.h"

namespace tarn {

namespace {

constexpr int last_block_type = 15;  // the comparative network cannot be a block parameter

void show_column_limit(std::ostream& screen) {
  screen << " Not enough memory for any more parameters! \n"
         << " Enter 0 0 to continue...\n";
}

// True when group g (1-based) would still end within column 64.
bool group_fits(const Blocks& blocks, int g) {
  return g <= max_groups && blocks.group_column0(g) + blocks.block_type_count <= max_params;
}

// Reads m block-type numbers, each within 1..block_type_count; a list with any other number is
// refused and asked again.
std::vector<std::int64_t> ask_block_numbers(Io& io, int m, int type_total) {
  for (;;) {
    io.console.prompt(" Enter " + int_field(m, 3) + " Block numbers: ");
    std::vector<std::int64_t> numbers = io.console.read_integers(m);
    bool accepted = true;
    for (std::int64_t b : numbers) {
      if (b < 1 || b > type_total) {
        io.screen() << " Block type " << b << " does not exist; use 1 to " << type_total
                    << ". Try again...\n";
        accepted = false;
        break;
      }
    }
    if (accepted) return numbers;
  }
}

}  // namespace

void run_group_dialogue(Records& rec, Io& io) {
  Blocks& blocks = rec.blocks;
  Stats& stats = rec.stats;
  std::ostream& screen = io.screen();
  const int type_total = blocks.block_type_count;

  screen << '\n' << " Block structure:\n";
  show_block_structure(blocks, screen);
  screen << " Select parameter and number of blocks."
         << " 0 0 to quit.\n";

  int group_number = 0;
  for (;;) {
    io.console.prompt(" Parameter, number of Blocks: ");
    const std::vector<std::int64_t> answer = io.console.read_integers(2);
    const std::int64_t t = answer[0];
    const std::int64_t m = answer[1];
    if (t == 0) return;
    if (t > last_block_type || m > type_total) {
      screen << int_field(t, 4) << int_field(m, 4) << " too large. Try again...\n";
      continue;
    }
    if (t < 1 || m < 1) {
      screen << int_field(t, 4) << int_field(m, 4) << " too small. Try again...\n";
      continue;
    }
    if (!group_fits(blocks, group_number + 1)) {
      show_column_limit(screen);
      continue;
    }
    if (stats.param_count + m > max_params) {
      show_parameter_limit(screen);
      continue;
    }
    const int type = static_cast<int>(t);
    const int size = static_cast<int>(m);
    std::vector<std::int64_t> chosen;
    if (size < type_total) {
      chosen = ask_block_numbers(io, size, type_total);
    } else {
      for (int b = 1; b <= size; ++b) chosen.push_back(b);
    }
    rec.flags.type_on(type) = 1;

    const int g = ++group_number;
    blocks.group_type(g) = static_cast<int16>(type);
    blocks.group_size(g) = static_cast<int16>(size);
    for (int k = 1; k <= size; ++k) {
      const int b = static_cast<int>(chosen[static_cast<std::size_t>(k - 1)]);
      blocks.group_blocks(g, k) = static_cast<int16>(b);
      append_column(stats, blocks.group_column0(g) + b);
    }
    if (g < max_groups && !group_fits(blocks, g + 1)) {
      show_column_limit(screen);
      continue;
    }
    if (g == max_groups) return;
  }
}

}  // namespace tarn
