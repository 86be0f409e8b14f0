#include "model/short_dialogue.h"

#include <cstdint>
#include <vector>

#include "model/parameter_input.h"

namespace tarn {

namespace {

constexpr int block_offset = 100;

bool is_block_parameter(std::int64_t v) {
  return v > block_offset && v <= block_offset + max_groups;
}
bool is_global_parameter(std::int64_t v) {
  return v >= 1 && v <= 16;
}

enum class ListCheck { fits, too_many_blocks, too_many_parameters };

// Counts what the list would add, up to its first 0; other numbers are dropped.
ListCheck check_list(const std::vector<std::int64_t>& numbers, const Stats& stats) {
  int blocks = 0;
  int parameters = 0;
  for (std::int64_t v : numbers) {
    if (v == 0) break;
    if (is_block_parameter(v)) {
      ++blocks;
      ++parameters;
    } else if (is_global_parameter(v)) {
      ++parameters;
    }
  }
  if (blocks > max_groups) return ListCheck::too_many_blocks;
  if (stats.param_count + parameters > max_params) return ListCheck::too_many_parameters;
  return ListCheck::fits;
}

void take_list(const std::vector<std::int64_t>& numbers, Records& rec) {
  Blocks& blocks = rec.blocks;
  int group_number = 0;
  for (std::int64_t v : numbers) {
    if (v == 0) break;
    if (is_block_parameter(v)) {
      const int type = static_cast<int>(v - block_offset);
      const int g = ++group_number;
      blocks.group_type(g) = static_cast<int16>(type);
      blocks.group_size(g) = 1;
      // With a single block type the row of group_blocks is the configuration type.
      blocks.group_blocks(type, 1) = 1;
      append_column(rec.stats, blocks.group_column0(g) + 1);
      rec.flags.type_on(type) = 1;
    } else if (is_global_parameter(v)) {
      const int type = static_cast<int>(v);
      append_column(rec.stats, type);
      rec.flags.type_on(type) = 1;
    }
    // Any other number (negative, 17..100, 116 and above) is dropped without a message.
  }
}

}  // namespace

void run_short_dialogue(Records& rec, Io& io) {
  std::ostream& screen = io.screen();
  for (;;) {
    screen << " Add 100 for correponding block parameter\n";
    const int count = ask_parameter_count(io, " How many parameters? ");
    for (;;) {
      io.console.prompt(" Enter parameter numbers: ");
      const std::vector<std::int64_t> numbers = io.console.read_integers(count);
      if (numbers.empty() || numbers[0] == 0) break;  // nothing chosen: start again
      switch (check_list(numbers, rec.stats)) {
        case ListCheck::too_many_blocks:
          screen << " Too many block parameters! Maximum is 15. Try again...\n";
          continue;
        case ListCheck::too_many_parameters:
          show_parameter_limit(screen);
          continue;
        case ListCheck::fits:
          take_list(numbers, rec);
          return;
      }
    }
  }
}

}  // namespace tarn
