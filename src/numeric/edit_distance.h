#pragma once
// How far apart two words are, for the suggestions of the nearest names (terms, options).

#include <cstddef>
#include <string_view>

namespace tarn {

// The number of single-character insertions, deletions and substitutions that turn a into b
// (Levenshtein).
std::size_t edit_distance(std::string_view a, std::string_view b);

}  // namespace tarn
