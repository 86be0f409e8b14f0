#pragma once
// The attribute a term reads (its argument attr) and its levels: the distinct values sorted,
// numerically when every value is a number (1, 2, 3, 11), otherwise as text in byte order, each
// named as R writes it. The attribute terms and the terms of closed ties read them alike.

#include <string>
#include <vector>

#include "network/node_covariates.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

// The attribute of the argument "attr". Throws ModelError naming the term without an attribute
// file or such an attribute, FatalError (an input error) naming the node by its label when a
// node has no value.
const AttributeColumn& attribute_of(const TermArguments& arguments, const TermContext& context);

// The levels of an attribute and every node's level (0-based).
struct Levels {
  std::vector<std::string> names;  // sorted, as R writes them
  std::vector<int> of_node;        // node i at i - 1
  int count() const { return static_cast<int>(names.size()); }
};

Levels levels_of(const AttributeColumn& column, int n);

}  // namespace tarn
