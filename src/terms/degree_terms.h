#pragma once
// The terms of the degree distribution (degree_terms.cpp) that other families' entries make:
// isolates (structural_terms.cpp) and the gw degree terms by attribute (geometric_terms.cpp).

#include <string>
#include <vector>

#include "terms/term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

// Which degree of a node a term reads: directed in- or out-degree, undirected degree, or
// directed in- plus out-degree.
enum class DegreeOf { in, out, undirected, total };

// isolates: the nodes without links.
TermPointer make_isolates_term(const TermContext& context);

// gwidegree, gwodegree, gwdegree(decay, fixed=TRUE, attr, levels): one statistic per kept level
// of attr, e^decay sum over the nodes of that level of 1 - (1 - e^-decay)^degree.
TermPointer make_degree_weights_by_attribute(const TermArguments& arguments,
                                             const TermContext& context, DegreeOf side,
                                             double decay);

// C(n, k), 0 for k < 0 or n < k: a node's k-stars among its n links.
double choose(int n, int k);
// Degrees as a term's text writes them: 2, or c(1, 3) for several (as R prints a vector).
std::string number_list(const std::vector<int>& values);

// The bins of a degrange term: from[b] <= degree < to[b], to= recycled as ergm does (Inf, or past
// n: no upper end); with their names after `prefix` ("deg1to3", "deg2+") and the term's text up
// to its options ("degrange(c(1, 2), to=3").
struct DegreeRanges {
  std::vector<int> from, to;
  std::vector<std::string> names;
  std::string text;
};
DegreeRanges degree_ranges(const TermArguments& arguments, int node_count,
                           const std::string& prefix);

}  // namespace tarn
