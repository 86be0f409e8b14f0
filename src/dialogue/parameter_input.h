#pragma once
#include <string_view>

#include "dialogue/session.h"
#include "tarnwick/classic/model.h"

namespace tarn {

// Writes an empty line and the count prompt, and reads a count of 0..64 numbers; any other
// count is refused with a message and asked again.
int ask_parameter_count(Session& session, std::string_view prompt);

// The parameters a description holds so far.
int parameter_total(const tarnwick::ClassicDescription& description);

// The refusal of a list whose parameters would not fit beside those already chosen.
void show_parameter_limit(std::ostream& screen);

}  // namespace tarn
