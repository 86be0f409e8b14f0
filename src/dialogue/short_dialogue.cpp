#include "dialogue/short_dialogue.h"

#include <cstdint>
#include <vector>

#include "dialogue/parameter_input.h"
#include "tarnwick/classic/model.h"

namespace tarn {

namespace {

constexpr int block_offset = 100;

bool is_block_parameter(std::int64_t v) {
  return v > block_offset && v <= block_offset + tarnwick::ClassicCapacity::groups;
}
bool is_global_parameter(std::int64_t v) {
  return v >= 1 && v <= tarnwick::classic_type_count;
}

enum class ListCheck { fits, too_many_blocks, too_many_parameters };

// Counts what the list would add, up to its first 0; other numbers are dropped.
ListCheck check_list(const std::vector<std::int64_t>& numbers,
                     const tarnwick::ClassicDescription& description) {
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
  if (blocks > tarnwick::ClassicCapacity::groups) return ListCheck::too_many_blocks;
  if (parameter_total(description) + parameters > tarnwick::ClassicCapacity::parameters) {
    return ListCheck::too_many_parameters;
  }
  return ListCheck::fits;
}

void take_list(const std::vector<std::int64_t>& numbers,
               tarnwick::ClassicDescription& description) {
  for (std::int64_t v : numbers) {
    if (v == 0) break;
    if (is_block_parameter(v)) {
      // A group of its own, for the single block type.
      description.push_back({static_cast<int>(v - block_offset), {1}});
    } else if (is_global_parameter(v)) {
      description.push_back({static_cast<int>(v), {}});
    }
    // Any other number (negative, 17..100, 116 and above) is dropped without a message.
  }
}

}  // namespace

void run_short_dialogue(tarnwick::ClassicDescription& description, Session& session) {
  std::ostream& screen = session.screen();
  for (;;) {
    screen << " Add 100 for correponding block parameter\n";
    const int count = ask_parameter_count(session, " How many parameters? ");
    for (;;) {
      session.console.prompt(" Enter parameter numbers: ");
      const std::vector<std::int64_t> numbers = session.console.read_integers(count);
      if (numbers.empty() || numbers[0] == 0) break;  // nothing chosen: start again
      switch (check_list(numbers, description)) {
        case ListCheck::too_many_blocks:
          screen << " Too many block parameters! Maximum is 15. Try again...\n";
          continue;
        case ListCheck::too_many_parameters:
          show_parameter_limit(screen);
          continue;
        case ListCheck::fits:
          take_list(numbers, description);
          return;
      }
    }
  }
}

}  // namespace tarn
