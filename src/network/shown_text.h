#pragma once
// Text from a file as a message shows it.

#include <string>
#include <string_view>

namespace tarn {

// Quoted, control characters written out (a tab as \t, others as \xNN), cut at 40 characters
// with "..." after them.
std::string shown(std::string_view text);

}  // namespace tarn
