// ergm's threetrail (threepath): trails of three links, v0 - v1 - v2 - v3, three distinct links
// whose nodes may repeat (a triangle walked round is one). Undirected, each trail once. Directed,
// the middle link is v1->v2 and the outer ones point either way, one statistic per kind kept:
//   RRR v0->v1->v2->v3   RRL v0->v1->v2<-v3   LRR v0<-v1->v2->v3   LRL v0<-v1->v2<-v3
// The change of a link is the number of trails it is in, the other two links counted in the
// graph without it.

#include <array>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

constexpr std::array<std::string_view, 4> kinds = {"RRR", "RRL", "LRR", "LRL"};

class ThreeTrails final : public Term {
 public:
  ThreeTrails(std::string text, std::vector<std::string> names, std::vector<int> kept)
      : Term(std::move(text), std::move(names)), kept_(std::move(kept)) {}

  bool dyad_independent() const override { return false; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int x = g.tie(i, j);
    // Degrees in the graph without the link i->j.
    auto out_w = [&](int v) { return g.out(v) - (v == i ? x : 0); };
    auto in_w = [&](int v) { return g.in(v) - (v == j ? x : 0); };
    if (!g.directed()) {
      double trails = double(g.degree(i) - x) * (g.degree(j) - x);  // the middle edge
      // The first edge i - j (or j - i), then v - w with v a neighbour of j (of i), w != j.
      for (const std::pair<int, int>& ends : {std::pair{i, j}, std::pair{j, i}}) {
        const int a = ends.first, b = ends.second;  // clang 14 captures no structured binding
        g.for_each_receiver(b, [&](int v) {
          if (v != a) trails += g.degree(v) - 1;
        });
      }
      out[0] = trails;
      return;
    }
    double count[4] = {0, 0, 0, 0};
    // i->j in the middle: v0 a sender (R) or receiver (L) of i, v3 a receiver (R) or sender (L)
    // of j; RRR would use j->i twice when v0 = j and v3 = i.
    count[0] = double(g.in(i)) * g.out(j) - g.tie(j, i);
    count[1] = double(g.in(i)) * in_w(j);
    count[2] = double(out_w(i)) * g.out(j);
    count[3] = double(out_w(i)) * in_w(j);
    // i->j first: R as i->j->v2 (then v2->v3, or v3->v2 with v3 != j); L as j<-i->v2.
    g.for_each_receiver(j, [&](int v2) {
      count[0] += out_w(v2);
      count[1] += in_w(v2) - 1;
    });
    g.for_each_receiver(i, [&](int v2) {
      if (v2 == j) return;
      count[2] += out_w(v2);
      count[3] += in_w(v2) - 1;
    });
    // i->j last: R as v1->i->j (v1 after v0->v1, or after v1->v0 with v0 != i); L as
    // v1->j<-i.
    g.for_each_sender(i, [&](int v1) {
      count[0] += in_w(v1);
      count[2] += out_w(v1) - 1;
    });
    g.for_each_sender(j, [&](int v1) {
      if (v1 == i) return;
      count[1] += in_w(v1);
      count[3] += out_w(v1) - 1;
    });
    for (std::size_t s = 0; s < kept_.size(); ++s) {
      out[s] = count[static_cast<std::size_t>(kept_[s])];
    }
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // The links added one by one to the empty graph, each adding the trails it completes.
  void network_statistics(const TermGraph& g, double* out) const override {
    const int m = statistic_count();
    for (int s = 0; s < m; ++s) out[s] = 0.0;
    TermGraph built(g.node_count(), g.directed());
    std::vector<double> change(static_cast<std::size_t>(m));
    for (const auto& [a, b] : g.link_list()) {
      add_change(built, a, b, change.data());
      for (int s = 0; s < m; ++s) out[s] += change[static_cast<std::size_t>(s)];
      built.toggle(a, b);
    }
  }

 private:
  std::vector<int> kept_;  // kinds, 0..3 (undirected: one statistic)
};

TermPointer make_threetrail(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"keep", "levels"});
  const std::string stem(call.name);
  if (!context.directed) {
    for (const char* name : {"keep", "levels"}) {
      if (arguments.given(name)) {
        arguments.fail(name, "an undirected network has one kind of trail");
      }
    }
    return std::make_shared<ThreeTrails>(stem, std::vector<std::string>{stem}, std::vector<int>{0});
  }
  const std::vector<std::string> names(kinds.begin(), kinds.end());
  const std::vector<int> kept =
      apply_keep(arguments, kept_positions(arguments, "levels", names, false));
  if (kept.empty()) arguments.fail("levels", "it keeps no kind of trail");
  std::vector<std::string> statistic_names;
  for (int k : kept) statistic_names.push_back(stem + "." + names[static_cast<std::size_t>(k)]);
  return std::make_shared<ThreeTrails>(
      stem + (arguments.given("keep") || arguments.given("levels")
                  ? "(" + arguments.written_options({"keep", "levels"}).substr(2) + ")"
                  : std::string()),
      std::move(statistic_names), kept);
}

constexpr std::array<TermEntry, 2> entries = {{
    {"threetrail", "keep, levels",
     "trails of three distinct links v0-v1-v2-v3 (nodes may repeat); directed by kind: RRR, "
     "RRL, LRR, LRL (the outer links' directions, the middle one v1->v2)",
     Networks::both, "", make_threetrail},
    {"threepath", "keep, levels", "threetrail under its older name", Networks::both, "",
     make_threetrail},
}};

}  // namespace

std::span<const TermEntry> threetrail_term_entries() {
  return entries;
}

}  // namespace tarn
