#pragma once
// The attribute a term reads (its argument attr, or by, same) and its levels: the distinct values
// sorted, numerically when every value is a number (1, 2, 3, 11), otherwise as text in byte
// order, each named as R writes it. The levels a term keeps are chosen as ergm 4 chooses them
// (levels=, nodes=, levels2=): TRUE or NULL all, positions (c(2, 3)), negative positions to leave
// out (-1), or values in quotes ("b", c("a", "c")).

#include <string>
#include <string_view>
#include <vector>

#include "network/node_covariates.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

// The attribute of the argument (attr unless named). Throws ModelError naming the term without
// an attribute file or such an attribute, FatalError (an input error) naming the node by its
// label when a node has no value.
const AttributeColumn& attribute_of(const TermArguments& arguments, const TermContext& context,
                                    std::string_view argument = "attr");

// The attribute of this name, which the argument gives among other things (mm's formula).
const AttributeColumn& attribute_named(const TermArguments& arguments, const TermContext& context,
                                       std::string_view argument, const std::string& name);

// The attribute's values as numbers; ModelError naming the node whose value is none.
std::vector<double> numbers_of(const TermArguments& arguments, const AttributeColumn& column,
                               const TermContext& context, std::string_view argument = "attr");

// The levels of an attribute and every node's level (0-based).
struct Levels {
  std::vector<std::string> names;  // sorted, as R writes them
  std::vector<int> of_node;        // node i at i - 1
  int count() const { return static_cast<int>(names.size()); }
};

Levels levels_of(const AttributeColumn& column, int n);

// The positions 0..names.size()-1 that `argument` keeps (see the head of the file), in the order
// given; when it is not given, all, or all but the first with `drop_first`.
std::vector<int> kept_positions(const TermArguments& arguments, std::string_view argument,
                                const std::vector<std::string>& names, bool drop_first);

// ergm 3's keep= (deprecated in ergm 4, still read): the positions of `kept` it keeps, when
// levels= is not given.
std::vector<int> apply_keep(const TermArguments& arguments, std::vector<int> kept);

// The levels of a term with ergm's deprecated base= beside levels= (the factor terms, sender,
// receiver): levels= when given; else all but the positions of base= (0: none left out), by
// default the first.
std::vector<int> kept_by_base(const TermArguments& arguments, std::string_view argument,
                              const std::vector<std::string>& names);

// Maps level (or cell) k to its statistic: index[k] = s, or -1 when it is left out.
std::vector<int> statistic_index(const std::vector<int>& kept, int count);

// Every node's place among the kept levels, 0..kept.size()-1; a node of a level left out is
// kept.size() (ergm's recoding, which puts all such nodes in one group), or -1 with `apart` (its
// recoding for matches, where such a node matches no other).
std::vector<int> kept_codes(const Levels& levels, const std::vector<int>& kept, bool apart);

// The names of the kept levels.
std::vector<std::string> kept_names(const Levels& levels, const std::vector<int>& kept);

}  // namespace tarn
