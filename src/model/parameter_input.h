#pragma once
#include <string_view>

#include "input/io.h"
#include "store/records.h"

namespace tarn {

// Writes an empty line and the count prompt, and reads a count of 0..64 numbers; any other
// count is refused with a message and asked again.
int ask_parameter_count(Io& io, std::string_view prompt);

// Appends a statistics column (1..64) to the parameter list, which has room for it.
void append_column(Stats& stats, int column);

// The refusal of a list whose parameters would not fit beside those already chosen.
void show_parameter_limit(std::ostream& screen);

}  // namespace tarn
