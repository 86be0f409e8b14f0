#pragma once
// ergm's triangle, ttriple and ctriple with attr= (diff=, levels=): the triads whose three nodes
// have one value of the attribute (triangles_by_attribute.cpp).

#include "terms/term_table.h"

namespace tarn {

enum class TriangleKind { triangle, transitive, cyclic };

TermPointer make_triangles_by_attribute(const TermCall& call, const TermContext& context,
                                        TriangleKind kind);

// ergm's transitive: its code counts the transitive triples i->j, j->k, i->k (as ttriple), not the
// triads of the classes its page names.
TermPointer make_transitive_triples(int node_count);

}  // namespace tarn
