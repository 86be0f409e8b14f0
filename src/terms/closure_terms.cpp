// Ties closed by a two-path, with ergm's names and definitions (directed):
//   transitiveties   the links i->j with at least one two-path i->k->j
//   cyclicalties     the links i->j with at least one two-path j->k->i
// With attr, a link counts only when i, j and such a k all have one value of the attribute
// (transitiveties.group). Each link counts once however many two-paths close it, which keeps
// these terms far less prone to degeneracy than the raw counts ttriple and ctriple.

#include <array>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

enum class Closure { transitive, cyclical };

class ClosedTies final : public Term {
 public:
  // `level`: every node's level of the attribute (node i at i - 1); empty without one.
  ClosedTies(std::string text, std::string name, Closure closure, std::vector<int> level)
      : Term(std::move(text), {std::move(name)}), closure_(closure), level_(std::move(level)) {}

  bool dyad_independent() const override { return false; }
  // Without an attribute the two-paths of a pair come from the graph's table.
  PartnerTables partner_tables() const override {
    PartnerTables tables;
    tables.two_paths = level_.empty();
    return tables;
  }

  // The change of toggling i->j, from the links it closes and the two-paths it is part of;
  // `x` is the dyad's tie, which the closers of the other links counted below include.
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int x = g.tie(i, j);
    double change = match(i, j) && closers(g, i, j) > 0 ? 1.0 : 0.0;
    if (closure_ == Closure::transitive) {
      // i->j->m closes the link i->m; m->i->j closes m->j.
      if (match(j, i)) {
        g.for_each_receiver(j, [&](int m) {
          if (m != i && g.has_link(i, m) && match(i, m) && closers(g, i, m) == x) change += 1;
        });
      }
      g.for_each_sender(i, [&](int m) {
        if (m != j && g.has_link(m, j) && match(m, j) && match(i, m) && closers(g, m, j) == x) {
          change += 1;
        }
      });
    } else {
      // i->j->m closes m->i, and j->m->i closes j->m: both the cycle i->j->m->i.
      g.for_each_receiver(j, [&](int m) {
        if (m == i || !g.has_link(m, i)) return;
        if (match(m, i) && match(j, m) && closers(g, m, i) == x) change += 1;
        if (match(j, m) && match(i, j) && closers(g, j, m) == x) change += 1;
      });
    }
    out[0] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double count = 0;
    for (const auto& [a, b] : g.link_list()) count += match(a, b) && closers(g, a, b) > 0 ? 1 : 0;
    out[0] = count;
  }

 private:
  bool match(int a, int b) const {
    return level_.empty() ||
           level_[static_cast<std::size_t>(a - 1)] == level_[static_cast<std::size_t>(b - 1)];
  }
  // The nodes k that close the link a->b (transitive: a->k->b; cyclical: b->k->a), of a's level
  // when there is an attribute.
  int closers(const TermGraph& g, int a, int b) const {
    const int from = closure_ == Closure::transitive ? a : b;
    const int to = closure_ == Closure::transitive ? b : a;
    // The table when the graph keeps it (the change statistics' graphs); counted otherwise (the
    // graph a network's statistics are counted on keeps none).
    if (level_.empty() && g.tables().two_paths) return g.two_paths(from, to);
    int count = 0;
    g.for_each_two_path_middle(from, to, [&](int k) { count += match(k, a) ? 1 : 0; });
    return count;
  }

  Closure closure_;
  std::vector<int> level_;
};

template <Closure C>
TermPointer make_closed_ties(const TermCall& call, const TermContext& context) {
  const std::string stem = C == Closure::transitive ? "transitiveties" : "cyclicalties";
  const TermArguments arguments(call, {"attr", "diff", "levels"});
  if (arguments.logical("diff", false)) {
    arguments.fail("diff", "diff=TRUE is not offered, as ergm does not offer it for " + stem);
  }
  if (arguments.given("levels")) {
    arguments.fail("levels",
                   "levels are not offered for " + stem + "; all levels of the attribute count");
  }
  if (!arguments.given("attr")) {
    return std::make_shared<ClosedTies>(stem, stem, C, std::vector<int>{});
  }
  const AttributeColumn& column = attribute_of(arguments, context);
  return std::make_shared<ClosedTies>(stem + "(\"" + column.name + "\")", stem + "." + column.name,
                                      C, levels_of(column, context.node_count).of_node);
}

constexpr std::array<TermEntry, 2> entries = {{
    {"transitiveties", "attr (counts: threshold=0)",
     "links i->j closed by at least one two-path i->k->j (with attr: i, j and k of one value)",
     Networks::directed, "gwesp(0, fixed=TRUE), the edges in a triangle",
     make_closed_ties<Closure::transitive>, make_valued_transitiveties},
    {"cyclicalties", "attr (counts: threshold=0)",
     "links i->j closed by at least one two-path j->k->i (with attr: i, j and k of one value)",
     Networks::directed, "gwesp(0, fixed=TRUE), the edges in a triangle",
     make_closed_ties<Closure::cyclical>, make_valued_cyclicalties},
}};

}  // namespace

std::span<const TermEntry> closure_term_entries() {
  return entries;
}

}  // namespace tarn
