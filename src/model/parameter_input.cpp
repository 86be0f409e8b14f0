#include "model/parameter_input.h"

#include <cassert>
#include <cstdint>

namespace tarn {

int ask_parameter_count(Io& io, std::string_view prompt) {
  for (;;) {
    io.screen() << '\n';
    io.console.prompt(prompt);
    const std::int64_t count = io.console.read_integer();
    if (count >= 0 && count <= max_params) return static_cast<int>(count);
    io.screen() << " The count must lie between 0 and 64. Try again...\n";
  }
}

void append_column(Stats& stats, int column) {
  assert(stats.param_count < max_params);
  assert(column >= 1 && column <= max_params);
  ++stats.param_count;
  stats.param_column(stats.param_count) = static_cast<int16>(column);
}

void show_parameter_limit(std::ostream& screen) {
  screen << " Too many parameters! Maximum is 64. Try again...\n";
}

}  // namespace tarn
