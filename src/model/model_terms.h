#pragma once
// Models of the sixteen configuration types written as lists, for the command line:
// "edges,mutual,ttriple@2,mutual@*" (or with '+' between the terms).
//
// A term is a configuration type, by its number 1..16 or its short name (configuration_type.h),
// optionally followed by @B (the block parameter of that type for block type B) or @* (one for
// every block type, ascending). Names in any case.
//
// The parameters come in the order the dialogue would give them:
// - with a blocking of one block type, every term in the order written (as in the short
//   dialogue, each block term a group of its own);
// - otherwise the global terms first, in the order written, then the block terms in the order
//   written; consecutive block terms of one type form one group (its columns are shared).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/kernel_layout.h"
#include "terms/formula.h"

namespace tarn {

// The description of terms that are all configuration types, or nothing when some term is not
// one. `block_type_count` is the number of block types of the blocking, or nothing without
// blocking. Throws ModelError naming the term: a block term without blocking, or when the block
// structure has no block types, or with a block type outside 1..count, a block term of type 16.
std::optional<ModelDescription> classic_description(const std::vector<TermCall>& calls,
                                                    std::optional<int> block_type_count);

// The description of a list of configuration types; ModelError for a term that is none.
ModelDescription parse_model_terms(std::string_view list, std::optional<int> block_type_count);

// How a parameter is written as a term: "ttriple", or "ttriple@2" for a block parameter.
std::string term_text(const Parameter& parameter);

}  // namespace tarn
