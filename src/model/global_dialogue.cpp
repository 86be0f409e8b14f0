#include "model/global_dialogue.h"

#include <cstdint>
#include <vector>

#include "model/parameter_input.h"

namespace tarn {

namespace {

bool is_global_parameter(std::int64_t v) {
  return v >= 1 && v <= 16;
}

int parameters_in(const std::vector<std::int64_t>& numbers) {
  int parameters = 0;
  for (std::int64_t v : numbers) {
    if (v == 0) break;
    if (is_global_parameter(v)) ++parameters;
  }
  return parameters;
}

}  // namespace

void run_global_dialogue(Records& rec, Io& io) {
  const int count = ask_parameter_count(io, " How many global parameters? ");
  if (count == 0) return;
  for (;;) {
    io.console.prompt(" Enter parameter numbers: ");
    const std::vector<std::int64_t> numbers = io.console.read_integers(count);
    if (rec.stats.param_count + parameters_in(numbers) > max_params) {
      show_parameter_limit(io.screen());
      continue;
    }
    for (std::int64_t v : numbers) {
      if (v == 0) break;
      if (!is_global_parameter(v)) continue;  // dropped without a message
      append_column(rec.stats, static_cast<int>(v));
      rec.flags.type_on(static_cast<int>(v)) = 1;
    }
    return;
  }
}

}  // namespace tarn
