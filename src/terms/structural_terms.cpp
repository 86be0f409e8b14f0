// Terms of degrees, stars and triangles, with ergm's names and definitions:
//   istar(k), ostar(k)  in- and out-k-stars: sum over nodes of C(degree, k)   (directed)
//   kstar(k)            k-stars (undirected)
//   idegree(d), odegree(d), degree(d)   nodes of that degree
//   isolates            nodes without a link in either direction
//   triangle            undirected: triangles; directed: triples i->j, j->k with k->i or i->k,
//                       that is ttriple + ctriple, as ergm counts them
// Lists (istar(2:3), degree(c(0, 1))) give one statistic per value.

#include <string>
#include <vector>

#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

double choose(int n, int k) {
  if (k < 0 || n < k) return 0.0;
  double value = 1.0;
  for (int t = 1; t <= k; ++t) value = value * (n - k + t) / t;
  return value;
}

enum class Side { in, out, both };

// The degree of a on its side, without the dyad (i, j).
int degree_without(const TermGraph& g, Side side, int a, int i, int j) {
  const int x = g.tie(i, j);
  if (!g.directed()) return g.degree(a) - x;
  switch (side) {
    case Side::in:
      return g.in(a) - (a == j ? x : 0);
    case Side::out:
      return g.out(a) - (a == i ? x : 0);
    case Side::both:
      return g.in(a) + g.out(a) - x;
  }
  return 0;
}

// The nodes whose degree the dyad (i, j) changes: its receiver (in), its sender (out), or both.
template <class F>
void nodes_of_dyad(const TermGraph& g, Side side, int i, int j, F f) {
  if (!g.directed() || side == Side::both) {
    f(i);
    f(j);
  } else {
    f(side == Side::in ? j : i);
  }
}

int degree_of(const TermGraph& g, Side side, int a) {
  if (!g.directed()) return g.degree(a);
  return side == Side::in ? g.in(a) : side == Side::out ? g.out(a) : g.in(a) + g.out(a);
}

class Stars final : public Term {
 public:
  Stars(std::string text, std::vector<std::string> names, Side side, std::vector<int> ks)
      : Term(std::move(text), std::move(names)), side_(side), ks_(std::move(ks)) {}
  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    for (std::size_t s = 0; s < ks_.size(); ++s) {
      double change = 0.0;
      nodes_of_dyad(g, side_, i, j, [&](int a) {
        change += choose(degree_without(g, side_, a, i, j), ks_[s] - 1);
      });
      out[s] = change;
    }
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    for (std::size_t s = 0; s < ks_.size(); ++s) {
      double sum = 0.0;
      for (int a = 1; a <= g.node_count(); ++a) sum += choose(degree_of(g, side_, a), ks_[s]);
      out[s] = sum;
    }
  }

 private:
  Side side_;
  std::vector<int> ks_;
};

class DegreeCounts final : public Term {
 public:
  DegreeCounts(std::string text, std::vector<std::string> names, Side side, std::vector<int> ds)
      : Term(std::move(text), std::move(names)), side_(side), ds_(std::move(ds)) {}
  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    for (std::size_t s = 0; s < ds_.size(); ++s) {
      const int d = ds_[s];
      double change = 0.0;
      nodes_of_dyad(g, side_, i, j, [&](int a) {
        const int e = degree_without(g, side_, a, i, j);
        change += (e + 1 == d ? 1.0 : 0.0) - (e == d ? 1.0 : 0.0);
      });
      out[s] = change;
    }
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    for (std::size_t s = 0; s < ds_.size(); ++s) {
      double count = 0.0;
      for (int a = 1; a <= g.node_count(); ++a) count += degree_of(g, side_, a) == ds_[s] ? 1 : 0;
      out[s] = count;
    }
  }

 private:
  Side side_;
  std::vector<int> ds_;
};

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
  void network_statistics(const TermGraph& g, double* out) const override {
    // Every link's change with the link in place counts each triangle once per link in it:
    // three times.
    double sum = 0.0, change = 0.0;
    for (const auto& [a, b] : g.link_list()) {
      add_change(g, a, b, &change);
      sum += change;
    }
    out[0] = sum / 3.0;
  }
};

std::string list_text(const std::vector<int>& values) {
  if (values.size() == 1) return std::to_string(values.front());
  std::string text = "c(";
  for (std::size_t k = 0; k < values.size(); ++k) {
    text += (k == 0 ? "" : ", ") + std::to_string(values[k]);
  }
  return text + ")";
}

template <Side S, bool Undirected>
TermPointer make_stars(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {"k", "attr"});
  if (arguments.given("attr"))
    arguments.fail("attr", "stars of matching attributes are not offered");
  const std::vector<int> ks = arguments.whole_numbers("k", 1);
  const std::string stem = Undirected ? "kstar" : S == Side::in ? "istar" : "ostar";
  std::vector<std::string> names;
  for (int k : ks) names.push_back(stem + std::to_string(k));
  return std::make_shared<Stars>(stem + "(" + list_text(ks) + ")", std::move(names),
                                 Undirected ? Side::both : S, ks);
}

template <Side S, bool Undirected>
TermPointer make_degree_counts(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {"d", "by"});
  if (arguments.given("by")) arguments.fail("by", "degrees by attribute are not offered");
  const std::vector<int> ds = arguments.whole_numbers("d", 0);
  const std::string stem = Undirected ? "degree" : S == Side::in ? "idegree" : "odegree";
  std::vector<std::string> names;
  for (int d : ds) names.push_back(stem + std::to_string(d));
  return std::make_shared<DegreeCounts>(stem + "(" + list_text(ds) + ")", std::move(names),
                                        Undirected ? Side::both : S, ds);
}

TermPointer make_isolates(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {});
  return std::make_shared<DegreeCounts>("isolates", std::vector<std::string>{"isolates"},
                                        Side::both, std::vector<int>{0});
}

TermPointer make_triangle(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {"attr", "diff"});
  if (arguments.given("attr")) {
    arguments.fail("attr", "triangles of matching attributes are not offered");
  }
  return std::make_shared<Triangles>();
}

constexpr std::array<TermEntry, 8> entries = {{
    {"istar", "k", "in-k-stars: sum over nodes of C(indegree, k); istar(2) = in2star",
     Networks::directed, "kstar", make_stars<Side::in, false>},
    {"ostar", "k", "out-k-stars: sum over nodes of C(outdegree, k); ostar(2) = out2star",
     Networks::directed, "kstar", make_stars<Side::out, false>},
    {"kstar", "k", "k-stars: sum over nodes of C(degree, k)", Networks::undirected,
     "istar or ostar", make_stars<Side::both, true>},
    {"idegree", "d", "nodes of indegree d", Networks::directed, "degree",
     make_degree_counts<Side::in, false>},
    {"odegree", "d", "nodes of outdegree d", Networks::directed, "degree",
     make_degree_counts<Side::out, false>},
    {"degree", "d", "nodes of degree d", Networks::undirected, "idegree or odegree",
     make_degree_counts<Side::both, true>},
    {"isolates", "", "nodes without links", Networks::both, "", make_isolates},
    {"triangle", "",
     "triangles (directed: ttriple + ctriple, the triples i->j->k with k->i or i->k)",
     Networks::both, "", make_triangle},
}};

}  // namespace

std::span<const TermEntry> structural_term_entries() {
  return entries;
}

}  // namespace tarn
