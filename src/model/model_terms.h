#pragma once
// A model written as a list of terms, for the command line: "edges,mutual,ttriple@2,mutual@*".
//
// A term is a configuration type, by its number 1..16 or its short name (configuration_type.h),
// optionally followed by @B (the block parameter of that type for block type B) or @* (one for
// every block type, ascending). Numbers are whole numbers as the data files write them
// (network/delimited_text.h). Blanks around terms are ignored, names in any case.
//
// The parameters come in the order the dialogue would give them:
// - with a blocking of one block type, every term in the order written (as in the short
//   dialogue, each block term a group of its own);
// - otherwise the global terms first, in the order written, then the block terms in the order
//   written; consecutive block terms of one type form one group (its columns are shared).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/model.h"

namespace tarn {

// The description of `list`. `block_type_count` is the number of block types of the blocking,
// or nothing without blocking. Throws ModelError naming the term: an unknown name (with the
// nearest names), a block term without blocking, or when the block structure has no block types,
// or with a block type outside 1..count, a block term of type 16, an empty term.
ModelDescription parse_model_terms(std::string_view list, std::optional<int> block_type_count);

// How a parameter is written as a term: "ttriple", or "ttriple@2" for a block parameter.
std::string term_text(const Parameter& parameter);

// The short names closest to `word` (by edit distance), best first, at most three.
std::string nearest_type_names(std::string_view word);

// The number of single-character insertions, deletions and substitutions that turn a into b
// (Levenshtein); the command line uses it for option names too.
std::size_t edit_distance(std::string_view a, std::string_view b);

}  // namespace tarn
