#include "dialogue/parameter_input.h"

#include <cstdint>

#include "tarnwick/classic/model.h"

namespace tarn {

int ask_parameter_count(Session& session, std::string_view prompt) {
  for (;;) {
    session.screen() << '\n';
    session.console.prompt(prompt);
    const std::int64_t count = session.console.read_integer();
    if (count >= 0 && count <= tarnwick::ClassicCapacity::parameters)
      return static_cast<int>(count);
    session.screen() << " The count must lie between 0 and 64. Try again...\n";
  }
}

int parameter_total(const tarnwick::ClassicDescription& description) {
  int total = 0;
  for (const tarnwick::ClassicTerm& entry : description) {
    total += entry.block_types.empty() ? 1 : static_cast<int>(entry.block_types.size());
  }
  return total;
}

void show_parameter_limit(std::ostream& screen) {
  screen << " Too many parameters! Maximum is 64. Try again...\n";
}

}  // namespace tarn
