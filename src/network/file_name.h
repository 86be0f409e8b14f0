#pragma once
// File names as the dialogue takes them: a field of 24 characters, cut or padded with blanks.
// Trailing blanks are not part of the name when a file is looked up or opened.

#include <string>
#include <string_view>

namespace tarn {

// A name field of 24 characters: cut or padded with blanks.
std::string name_field(std::string_view typed);
// The name as looked up on disk: the field without its trailing blanks.
std::string trimmed_name(std::string_view field);

}  // namespace tarn
