#include "dialogue/group_dialogue.h"

#include <cstdint>
#include <vector>

#include "dialogue/block_display.h"
#include "dialogue/parameter_input.h"
#include "tarnwick/classic/model.h"
#include "tarnwick/classic/report.h"

namespace tarn {

namespace {

void show_column_limit(std::ostream& screen) {
  screen << " Not enough memory for any more parameters! \n"
         << " Enter 0 0 to continue...\n";
}

// True when group g (1-based) would still end within column 64.
bool group_fits(int g, int type_total) {
  return g <= tarnwick::ClassicCapacity::groups &&
         tarnwick::classic_group_column(g, type_total) + type_total <=
             tarnwick::ClassicCapacity::parameters;
}

// Reads m block-type numbers, each within 1..block_type_count; a list with any other number is
// refused and asked again.
std::vector<std::int64_t> ask_block_numbers(Session& session, int m, int type_total) {
  for (;;) {
    session.console.prompt(" Enter " + tarnwick::classic_int_field(m, 3) + " Block numbers: ");
    std::vector<std::int64_t> numbers = session.console.read_integers(m);
    bool accepted = true;
    for (std::int64_t b : numbers) {
      if (b < 1 || b > type_total) {
        session.screen() << " Block type " << b << " does not exist; use 1 to " << type_total
                         << ". Try again...\n";
        accepted = false;
        break;
      }
    }
    if (accepted) return numbers;
  }
}

}  // namespace

void run_group_dialogue(const tarnwick::ClassicBlocking& blocking,
                        tarnwick::ClassicDescription& description, Session& session) {
  std::ostream& screen = session.screen();
  const int type_total = blocking.block_type_count;

  screen << '\n' << " Block structure:\n";
  show_block_structure(blocking, screen);
  screen << " Select parameter and number of blocks."
         << " 0 0 to quit.\n";

  int group_number = 0;
  for (;;) {
    session.console.prompt(" Parameter, number of Blocks: ");
    const std::vector<std::int64_t> answer = session.console.read_integers(2);
    const std::int64_t t = answer[0];
    const std::int64_t m = answer[1];
    if (t == 0) return;
    if (t > tarnwick::classic_last_block_type || m > type_total) {
      screen << tarnwick::classic_int_field(t, 4) << tarnwick::classic_int_field(m, 4)
             << " too large. Try again...\n";
      continue;
    }
    if (t < 1 || m < 1) {
      screen << tarnwick::classic_int_field(t, 4) << tarnwick::classic_int_field(m, 4)
             << " too small. Try again...\n";
      continue;
    }
    if (!group_fits(group_number + 1, type_total)) {
      show_column_limit(screen);
      continue;
    }
    if (parameter_total(description) + m > tarnwick::ClassicCapacity::parameters) {
      show_parameter_limit(screen);
      continue;
    }
    const int size = static_cast<int>(m);
    std::vector<int> chosen;
    if (size < type_total) {
      for (std::int64_t b : ask_block_numbers(session, size, type_total)) {
        chosen.push_back(static_cast<int>(b));
      }
    } else {
      for (int b = 1; b <= size; ++b) chosen.push_back(b);
    }
    description.push_back({static_cast<int>(t), chosen});
    const int g = ++group_number;
    if (g < tarnwick::ClassicCapacity::groups && !group_fits(g + 1, type_total)) {
      show_column_limit(screen);
      continue;
    }
    if (g == tarnwick::ClassicCapacity::groups) return;
  }
}

}  // namespace tarn
