// Triangles, with ergm's name and definition (the terms of degrees and stars are in
// degree_terms.cpp):
//   triangle            undirected: triangles; directed: triples i->j, j->k with k->i or i->k,
//                       that is ttriple + ctriple, as ergm counts them

#include <string>
#include <vector>

#include "terms/term_arguments.h"
#include "terms/term_table.h"
#include "terms/triangles_by_attribute.h"

namespace tarn {

namespace {

class Triangles final : public Term {
 public:
  Triangles() : Term("triangle", {"triangle"}) {}
  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    double change = 0.0;
    if (!g.directed()) {
      g.for_each_receiver(j, [&](int k) { change += k != i && g.has_link(k, i) ? 1.0 : 0.0; });
    } else {
      // k joined to j and to i, each way counted: (x_jk + x_kj)(x_ik + x_ki).
      auto joined = [&g](int a, int k) { return g.tie(a, k) + g.tie(k, a); };
      g.for_each_receiver(j, [&](int k) { change += k != i ? joined(i, k) : 0; });
      g.for_each_sender(j, [&](int k) { change += k != i ? joined(i, k) : 0; });
    }
    out[0] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // Each triangle met once from each of its three links.
  void network_statistics(const TermGraph& g, double* out) const override {
    out[0] = count_by_link_changes(*this, g, 3.0);
  }
};

TermPointer make_triangle(const TermCall& call, const TermContext& context) {
  if (call.parenthesised && !call.arguments.empty()) {
    return make_triangles_by_attribute(call, context, TriangleKind::triangle);
  }
  return std::make_shared<Triangles>();
}

constexpr std::array<TermEntry, 2> entries = {{
    {"triangle", "attr, diff=FALSE, levels",
     "triangles (directed: ttriple + ctriple, the triples i->j->k with k->i or i->k)",
     Networks::both, "", make_triangle},
    {"triangles", "attr, diff=FALSE, levels", "triangle under ergm's other name", Networks::both,
     "", make_triangle},
}};

}  // namespace

std::span<const TermEntry> structural_term_entries() {
  return entries;
}

}  // namespace tarn
