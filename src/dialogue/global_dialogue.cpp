#include "dialogue/global_dialogue.h"

#include <cstdint>
#include <vector>

#include "dialogue/parameter_input.h"
#include "tarnwick/classic/model.h"

namespace tarn {

namespace {

bool is_global_parameter(std::int64_t v) {
  return v >= 1 && v <= tarnwick::classic_type_count;
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

void run_global_dialogue(tarnwick::ClassicDescription& description, Session& session) {
  const int count = ask_parameter_count(session, " How many global parameters? ");
  if (count == 0) return;
  for (;;) {
    session.console.prompt(" Enter parameter numbers: ");
    const std::vector<std::int64_t> numbers = session.console.read_integers(count);
    if (parameter_total(description) + parameters_in(numbers) >
        tarnwick::ClassicCapacity::parameters) {
      show_parameter_limit(session.screen());
      continue;
    }
    for (std::int64_t v : numbers) {
      if (v == 0) break;
      if (!is_global_parameter(v)) continue;  // dropped without a message
      description.push_back({static_cast<int>(v), {}});
    }
    return;
  }
}

}  // namespace tarn
