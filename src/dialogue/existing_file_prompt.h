#pragma once
#include <string>
#include <string_view>

#include "dialogue/session.h"

namespace tarn {

// Asks for an input file until one of that name exists, showing " <name> does not exist" after
// each missing one; returns the 24-character name field.
std::string ask_existing_file(Session& session, std::string_view prompt, bool empty_line_first);

}  // namespace tarn
